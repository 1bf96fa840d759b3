// Run-time class records of the lists and arrays.
#include "vpr/mfc/array.h"
#include "vpr/mfc/list.h"

IMPLEMENT_DYNAMIC(CObList, CObject)
IMPLEMENT_DYNAMIC(CPtrList, CObject)
IMPLEMENT_DYNAMIC(CStringList, CObject)
IMPLEMENT_DYNAMIC(CStringArray, CObject)
IMPLEMENT_DYNAMIC(CByteArray, CObject)
IMPLEMENT_DYNAMIC(CPtrArray, CObject)
