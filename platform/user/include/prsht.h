// Property sheets.
#pragma once

#include "windows.h"
#include "vpr/user/prsht.h"
