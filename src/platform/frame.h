// The frame's own reports: what ends the process before or around the run.
#pragma once

#include <cstdint>

// The texts of the frame's fatal reports.
constexpr char kOutOfMemoryText[] = "Out of memory";
constexpr char kNoEnvironmentText[] = "\r\nNot enough memory\r\n";

// Shows `text` byte for byte where the user will see it and ends the process
// with status 1 at once: no stream is flushed.
[[noreturn]] void report_fatal(const char *text);
