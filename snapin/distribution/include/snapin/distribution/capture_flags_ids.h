// Resource ids of the capture flags dialog (read by capture_flags.vrc too).
#pragma once

#define IDD_CAPTURE_FLAGS 332
#define IDC_OVERRIDE_NOTIFY 2301
#define IDC_OVERRIDE_BANNER 2302
#define IDC_OVERRIDE_FORM_FEED 2303
#define IDC_CAPTURE_NOTIFY 2304
#define IDC_CAPTURE_BANNER 2305
#define IDC_CAPTURE_FORM_FEED 2306
#define HID_CAPTURE_FLAGS 80031
