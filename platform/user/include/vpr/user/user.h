// The window system as the system sees it; included by windows.h when the
// program links vpruser.
#pragma once

#include "vpr/user/window.h"
#include "vpr/user/gdi.h"
#include "vpr/user/controls.h"
#include "vpr/user/commctrl.h"
#include "vpr/user/menu.h"
#include "vpr/user/dialog.h"
#include "vpr/user/images.h"
#include "vpr/user/message_box.h"
#include "vpr/user/ui_driver.h"
