// The Windows backend's pieces, shared between its files.
#pragma once

#include "platform/host.h"

// Closes the console input device that host_open_terminal opened.
void console_close();

// The environment table, copied from the host's environment block; null
// when memory runs out. The block is held until environment_release gives
// it back.
char **environment_take();
void environment_release();

// A processor fault that nothing handles goes to the host's own report;
// when the host leaves it to the program, the process ends with status 1 at
// once: nothing buffered is written.
void win32_catch_faults();
