// Resources that several fragments of the module use. Each is given once
// (vprrc refuses an id declared twice): the strings in common_strings.vrc,
// the icons and the clip in common_images.vrc.
#pragma once

#define IDS_DRAVIK 16
#define IDS_DRAVIK_ERROR 18
#define IDS_DRAVIK_WARNING 19
#define IDS_QMT_EXTENSION 33
#define IDS_QMT_FILTER 39
#define IDS_INVALID_CHARS 112
#define IDS_GRANT_FAILED 91

// A closed and an open folder stand for a registry key, an INI section and
// an object whose class cannot be read; the clip plays while a long task runs.
#define IDI_CLOSED_FOLDER 401
#define IDI_OPEN_FOLDER 402
#define IDI_TEXT 403
#define IDR_PROGRESS_CLIP 410
