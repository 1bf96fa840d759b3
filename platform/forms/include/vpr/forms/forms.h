// The form library: everything a form program includes.
#pragma once

#include "vpr/forms/application.h"
#include "vpr/forms/classes.h"
#include "vpr/forms/controls.h"
#include "vpr/forms/dialogs.h"
#include "vpr/forms/form.h"
#include "vpr/forms/form_stream.h"
#include "vpr/forms/ini_files.h"
#include "vpr/forms/reader.h"
