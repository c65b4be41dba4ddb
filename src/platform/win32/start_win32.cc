// The start of the process on Windows: faults caught, then the argument list
// and the environment table built from what the host hands over; the C
// runtime's own are not used.
#include "platform/process/command_line.h"
#include "platform/process/frame.h"
#include "platform/win32/calls.h"
#include "platform/win32/win32.h"

namespace {

// MAX_PATH serves nearly always; a longer path gets room for the longest
// path Windows can open.
constexpr DWORD kPathSizes[] = {MAX_PATH, 32768};

// The program file's full path, from the heap; null when memory runs out or
// the host gives none.
char *program_path() {
  for (DWORD size : kPathSizes) {
    char *path = static_cast<char *>(host_allocate(size));
    if (!path) return nullptr;
    DWORD length = sys.GetModuleFileNameA(nullptr, path, size);
    if (length > 0 && length < size) return path;
    host_release(path);
    if (length == 0) return nullptr;
  }
  return nullptr;
}

// Word 0 is the program's path; the rest come from the raw command line.
// The list is null-ended, from the heap.
void build_arguments(const char *command_line, ProcessArguments *process) {
  char *program = program_path();
  if (!program) report_fatal(kOutOfMemoryText);
  TableSpace space;
  char **list = build_table(
      [&](char **table, char *text) {
        return split_command_line(command_line, program, table, text);
      },
      &space);
  if (!list) report_fatal(kOutOfMemoryText);
  host_release(program);
  process->count = static_cast<int>(space.entries);
  process->list = list;
}

} // namespace

// What the C runtime handed the entry is not used.
ProcessArguments host_start(ProcessArguments) {
  win32_catch_faults();
  ProcessArguments process = {};
  build_arguments(sys.GetCommandLineA(), &process);
  process.environment = environment_take();
  if (!process.environment) report_fatal(kNoEnvironmentText);
  return process;
}
