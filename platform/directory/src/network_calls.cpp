#include "vpr/directory/network_calls.h"

#include "vpr/directory/trees.h"

extern "C" int WINAPI SvcInitialize(void*, void*) {
    return vpr::directory::AttachedTrees().empty() ? SVC_ERR_NO_NETWORK : SVC_SUCCESS;
}
