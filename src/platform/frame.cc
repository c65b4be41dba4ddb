// The end of the process: every open stream flushed, every file closed, and
// the status handed to the host unchanged; or, for a fatal report, at once.
#include <cstdlib>

#include "platform/frame.h"
#include "platform/platform.h"
#include "platform/stream.h"

namespace {

constexpr int32_t kFatalStatus = 1;

} // namespace

void end_process(int32_t status) {
  host.close_terminal();
  for (int slot = 0; slot < kStreamSlots; ++slot) {
    Stream &s = stream_table[slot];
    if (!s.open) continue;
    if (slot < kFirstFileSlot) {
      flush_stream(&s);
    } else {
      close_stream(&s);
    }
  }
  host.exit_process(status);
  abort(); // exit_process does not return
}

void report_fatal(const char *text) {
  host.show_fatal(text);
  host.exit_process(kFatalStatus);
  abort();
}
