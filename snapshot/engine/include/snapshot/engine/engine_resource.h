// Resource ids of the snapshot engine's dialog (engine/copy_error.vrc).
#pragma once

#define IDD_IMPRX_COPY_ERROR 1000
#define IDC_IMPRX_COPY_ERROR_ICON 1001
#define IDC_IMPRX_COPY_ERROR_TEXT 1002
