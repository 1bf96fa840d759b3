// The network calls library (QRSVC32 of the network client).
#pragma once

#include "vpr/win/types.h"

#define SVC_SUCCESS 0
#define SVC_ERR_NO_NETWORK (-1)  // the machine is attached to no directory tree

#ifdef __cplusplus
extern "C" {
#endif

// Prepares the library for the process; both arguments are reserved and 0.
int WINAPI SvcInitialize(void* reserved1, void* reserved2);

#ifdef __cplusplus
}
#endif
