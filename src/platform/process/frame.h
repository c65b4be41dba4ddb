// The frame of the process: its start and its fatal reports.
#pragma once

#include <cstdint>

#include "platform/host.h"

// The texts of the frame's fatal reports.
constexpr char kOutOfMemoryText[] = "Out of memory";
constexpr char kNoEnvironmentText[] = "\r\nNot enough memory\r\n";

// The start-up sequence, the run and the end of the process: what every
// process entry calls, with what the host handed it.
[[noreturn]] void start_process(ProcessArguments given);

// Shows `text` byte for byte where the user will see it and ends the process
// with status 1 at once: no stream is flushed.
[[noreturn]] void report_fatal(const char *text);
