// The Windows backend's pieces, shared between its files.
#pragma once

#include "platform/host.h"

// Closes the console input device that host_open_terminal opened.
void console_close();

// The environment table, copied from the host's block, which is held until
// environment_release gives it back; null when memory runs out.
char **environment_take();
void environment_release();

// A processor fault that nothing handles goes to the host's own report.
void win32_catch_faults();
