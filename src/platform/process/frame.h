// The frame of the process: its start, its end and its fatal reports.
#pragma once

#include <cstdint>

#include "platform/host.h"

// The texts of the frame's fatal reports.
constexpr char kOutOfMemoryText[] = "Out of memory";
constexpr char kNoEnvironmentText[] = "\r\nNot enough memory\r\n";

// The start-up sequence, `run` with the arguments and the environment, and
// the end of the process with its status: what the process entry calls.
[[noreturn]] void start_process(ProcessArguments given, int32_t (*run)(int, char **, char **));

// Flushes the standard streams, closes every file and ends the process with
// `status` unchanged.
[[noreturn]] void end_process(int32_t status);

// Shows `text` byte for byte where the user will see it and ends the process
// with status 1 at once: no stream is flushed.
[[noreturn]] void report_fatal(const char *text);
