#include "vpr/directory/connections.h"

#include <cstring>

#include "vpr/directory/trees.h"

using vpr::directory::AttachedTrees;

// A connection is the attached tree's place in the machine's list, from 1.
extern "C" int WINAPI ConnScanConnections(uint32_t* scanIndex, uint32_t* connection) {
    if (!scanIndex || !connection) return CONN_ERR_BAD_PARAMETER;
    if (*scanIndex >= AttachedTrees().size()) return CONN_ERR_NO_MORE_ENTRIES;
    *connection = ++*scanIndex;
    return CONN_SUCCESS;
}

extern "C" int WINAPI ConnGetConnectionInfo(uint32_t connection, int infoType, uint32_t length,
                                            void* buffer) {
    if (!buffer) return CONN_ERR_BAD_PARAMETER;
    auto trees = AttachedTrees();
    if (connection == 0 || connection > trees.size()) return CONN_ERR_BAD_CONNECTION;
    if (infoType != CONN_INFO_TREE_NAME) return CONN_ERR_BAD_INFO_TYPE;
    std::string name = vpr::directory::PaddedTreeName(trees[connection - 1].name);
    if (length < name.size() + 1) return CONN_ERR_BUFFER_TOO_SMALL;
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    return CONN_SUCCESS;
}
