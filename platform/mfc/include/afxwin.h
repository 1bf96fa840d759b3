// The GUI class library, all of it: include this one header.
#pragma once

#include "windows.h"
#include "vpr/mfc/object.h"
#include "vpr/mfc/string.h"
#include "vpr/mfc/list.h"
#include "vpr/mfc/array.h"
#include "vpr/mfc/win_app.h"
#include "vpr/mfc/geometry.h"
#include "vpr/mfc/wnd.h"
#include "vpr/mfc/dc.h"
#include "vpr/mfc/menu.h"
#include "vpr/mfc/controls.h"
#include "vpr/mfc/common_controls.h"
#include "vpr/mfc/dialog.h"
#include "vpr/mfc/property_page.h"
#include "vpr/mfc/win_thread.h"
#include "vpr/mfc/file_dialog.h"
