// The launcher configuration record of a user or container.
#include "kmapp32.h"

extern "C" LONG KMAPPReadLauncherConfig(DIR_CONTEXT context, LPCSTR object, BYTE* record) {
    if (!object || !record) return KMAPP_ERR_BAD_PARAMETER;
    HFILE file = HFILE_ERROR;
    int status = DirOpenStreamAttribute(context, object, "App:Launcher Config", DIR_STREAM_READ, &file);
    if (status != DIR_SUCCESS) return status;
    BYTE read[KMAPP_CONFIG_SIZE];
    UINT got = _lread(file, read, KMAPP_CONFIG_SIZE);
    _lclose(file);
    // The caller's record changes only when a whole, valid record was read.
    if (got != KMAPP_CONFIG_SIZE || KmappConfigGet(read, KMAPP_CONFIG_OFFSET_MAGIC) != KMAPP_CONFIG_MAGIC)
        return KMAPP_ERR_BAD_CONFIG;
    for (size_t i = 0; i < KMAPP_CONFIG_SIZE; ++i) record[i] = read[i];
    return 0;
}
