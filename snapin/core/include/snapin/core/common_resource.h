// Strings that several resource fragments of the module use; they are given
// once, in common_strings.vrc.
#pragma once

#define IDS_DRAVIK 16
#define IDS_DRAVIK_ERROR 18
#define IDS_DRAVIK_WARNING 19
#define IDS_QMT_EXTENSION 33
#define IDS_QMT_FILTER 39
#define IDS_INVALID_CHARS 112
#define IDS_GRANT_FAILED 91
