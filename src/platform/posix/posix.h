// The POSIX backend's pieces that fill the host table and start the process.
#pragma once

#include "platform/host.h"

// Local time and time zone from the C library.
void posix_local_time(LocalTime *now);
ZoneQuery posix_zone_info(ZoneInfo *zone);

// A fatal report, where the user will see it.
void posix_show_fatal(const char *text);

// Processor faults end the process with status 1 and a line on standard error.
void posix_catch_faults();
