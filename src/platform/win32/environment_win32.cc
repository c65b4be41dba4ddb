// The environment on Windows: the table copied from the host's block at
// start-up, the block given back at the end, and the host's own lookup for a
// name the table lacks.
#include "platform/environment.h"
#include "platform/environment_block.h"
#include "platform/win32/calls.h"
#include "platform/win32/win32.h"

namespace {

char *host_block; // from GetEnvironmentStrings, until it is given back

// The longest value a Windows environment variable can hold, and its zero.
constexpr DWORD kLargestValue = 32767 + 1;
char variable_value[kLargestValue];

} // namespace

// One block from the heap holds the table and, after it, the copies.
char **environment_take() {
  host_block = sys.GetEnvironmentStrings();
  static char empty_block[2] = {};
  const char *block = host_block ? host_block : empty_block;
  EnvironmentSpace space = measure_environment_block(block);
  size_t table_size = (space.entries + 1) * sizeof(char *);
  void *memory = host_allocate(table_size + space.bytes);
  if (!memory) return nullptr;
  char **table = static_cast<char **>(memory);
  copy_environment_block(block, table, static_cast<char *>(memory) + table_size);
  return table;
}

void environment_release() {
  if (host_block) sys.FreeEnvironmentStringsA(host_block);
  host_block = nullptr;
}

// An empty value and an absent one are alike to the caller.
const char *host_environment_variable(const char *name) {
  DWORD length = sys.GetEnvironmentVariableA(name, variable_value, kLargestValue);
  return length > 0 && length < kLargestValue ? variable_value : nullptr;
}
