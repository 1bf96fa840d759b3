// OLE: its initialisation, and (with objbase.h) streams and data media.
#pragma once

#include "objbase.h"

// Counted per thread like CoInitialize, which it includes.
STDAPI OleInitialize(LPVOID reserved);
STDAPI_(void) OleUninitialize();
