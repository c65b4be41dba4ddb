// The environment on Windows: the table copied from the host's block at
// start-up, the block given back at the end, and the host's own lookup for a
// name the table lacks.
#include "platform/process/environment.h"
#include "platform/process/environment_block.h"
#include "platform/win32/calls.h"
#include "platform/win32/win32.h"

namespace {

char *host_block; // from GetEnvironmentStrings, until it is given back

// The longest value a Windows environment variable can hold, and its zero.
constexpr DWORD kLargestValue = 32767 + 1;
char variable_value[kLargestValue];

} // namespace

char **environment_take() {
  host_block = sys.GetEnvironmentStrings();
  const char *block = host_block ? host_block : "\0"; // no entries
  TableSpace space;
  return build_table(
      [&](char **table, char *text) { return copy_environment_block(block, table, text); }, &space);
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
