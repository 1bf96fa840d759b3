// The client connection calls (the QRCLN32 library of the network client): one
// connection per directory tree the machine is attached to.
#pragma once

#include <stdint.h>

#include "vpr/win/types.h"

#define CONN_SUCCESS 0
#define CONN_ERR_NO_MORE_ENTRIES (-350)   // the scan has passed the last connection
#define CONN_ERR_BAD_CONNECTION (-351)
#define CONN_ERR_BAD_INFO_TYPE (-352)
#define CONN_ERR_BUFFER_TOO_SMALL (-353)
#define CONN_ERR_BAD_PARAMETER (-354)

// Information types of ConnGetConnectionInfo.
#define CONN_INFO_TREE_NAME 4  // 32 characters padded with '_', then a terminator

#ifdef __cplusplus
extern "C" {
#endif

// Hands out the connections one by one: *scanIndex starts at 0 and is
// advanced by each call; after the last one the call answers
// CONN_ERR_NO_MORE_ENTRIES.
int WINAPI ConnScanConnections(uint32_t* scanIndex, uint32_t* connection);
int WINAPI ConnGetConnectionInfo(uint32_t connection, int infoType, uint32_t length, void* buffer);

#ifdef __cplusplus
}
#endif
