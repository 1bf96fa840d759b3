// The run-time library's time-zone settings over the host's: the offset of
// local standard time that the C library read from TZ.
#include <ctime>

#include "vpr/win/clock.h"

extern "C" {

long _timezone = 0;

void _tzset(void) {
    tzset();
    _timezone = timezone;
}

}  // extern "C"
