// The POSIX backend's pieces, shared between its files.
#pragma once

#include "platform/host.h"

// Processor faults end the process with status 1 and a line on standard
// error, flushing nothing.
void posix_catch_faults();

// Closes the terminal that host_open_terminal opened.
void terminal_close();
