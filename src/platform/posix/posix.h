// The POSIX backend's pieces, shared between its files.
#pragma once

#include <signal.h>

#include "platform/host.h"

// Gives `signo` the handler (or SIG_IGN, SIG_DFL), blocking nothing more
// while it runs; what was there before goes to `previous` unless it is null.
void set_signal(int signo, void (*handler)(int), struct sigaction *previous = nullptr);

// Processor faults end the process with status 1 and a line on standard
// error, flushing nothing.
void posix_catch_faults();
