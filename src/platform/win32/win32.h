// The Windows backend's pieces that fill the host table and start the
// process. Only files in this folder include <windows.h>.
#pragma once

#include "platform/host.h"

// The console input device, "CONIN$": opened once at start-up, so that the
// key wait reaches the console even when standard input is redirected.
void console_open();
void console_close();

// One key from the console input device, unechoed and unedited, with the
// device's input mode put back afterwards. Returns its code 0-255, or -1
// at once when there is no console to read.
int console_read_key();

// Local time and the host's time zone settings.
void win32_local_time(LocalTime *now);
ZoneQuery win32_zone_info(ZoneInfo *zone);

// The environment table, copied from the host's environment block; false,
// with no table, when memory runs out. The block is held until
// environment_release gives it back.
bool environment_take();
void environment_release();

// The host's own lookup of an environment variable: the value, or null.
const char *win32_environment_variable(const char *name);

// A fatal report on the error console, or in a message box when that
// cannot be written.
void win32_show_fatal(const char *text);

// A processor fault that nothing handles ends the process with status 1 at
// once: nothing buffered is written.
void win32_catch_faults();
