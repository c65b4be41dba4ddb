// Process entry for Windows: the start-up sequence, one run, the end of the
// process. The argument list and the environment table are built here from
// what the host hands over; the C runtime's own are not used.
#include <windows.h>

#include <cfenv>

#include "platform/command_line.h"
#include "platform/environment.h"
#include "platform/frame.h"
#include "platform/platform.h"
#include "platform/stream.h"
#include "platform/win32/win32.h"
#include "sim/run.h"

namespace {

// MAX_PATH serves nearly always; a longer path gets room for the longest
// path Windows can open.
constexpr DWORD kPathSizes[] = {MAX_PATH, 32768};

// The program file's full path, from the heap; null when memory runs out or
// the host gives none.
char *program_path() {
  for (DWORD size : kPathSizes) {
    char *path = static_cast<char *>(host.allocate(size));
    if (!path) return nullptr;
    DWORD length = GetModuleFileNameA(nullptr, path, size);
    if (length > 0 && length < size) return path;
    host.release(path);
    if (length == 0) return nullptr;
  }
  return nullptr;
}

struct Arguments {
  int count;
  char **list; // null-ended, from the heap
};

// Word 0 is the program's path; the rest come from the raw command line.
Arguments build_arguments(const char *command_line) {
  char *program = program_path();
  if (!program) report_fatal(kOutOfMemoryText);
  ArgumentSpace space = measure_command_line(command_line, program);
  size_t list_size = (space.words + 1) * sizeof(char *);
  void *memory = host.allocate(list_size + space.bytes);
  if (!memory) report_fatal(kOutOfMemoryText);
  char **list = static_cast<char **>(memory);
  split_command_line(command_line, program, list, static_cast<char *>(memory) + list_size);
  host.release(program);
  return {static_cast<int>(space.words), list};
}

} // namespace

int main() {
  win32_catch_faults();
  Arguments arguments = build_arguments(GetCommandLineA());
  if (!environment_take()) report_fatal(kNoEnvironmentText);
  console_open();
  streams_start();
  // Round to nearest, every exception masked, 64-bit significands on the
  // x87 unit.
  fesetenv(FE_PC64_ENV);
  end_process(run(arguments.count, arguments.list, environment_table));
}
