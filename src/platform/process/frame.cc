// The frame of the process: the start-up sequence, the end of the process
// (every open stream flushed, every file closed, the status handed to the
// host unchanged) and the fatal end, at once. A backend supplies only the
// steps that differ between systems.
#include "platform/process/frame.h"
#include "platform/io/stream.h"
#include "platform/platform.h"
#include "platform/process/environment.h"

void start_process(ProcessArguments given) {
  ProcessArguments process = host_start(given);
  environment_table = process.environment;
  host_open_terminal();
  streams_start();
  host_set_float_state();
  end_process(run(process.count, process.list, process.environment));
}

void end_process(int32_t status) {
  host_finish();
  for (int slot = 0; slot < kStreamSlots; ++slot) {
    Stream &s = stream_table[slot];
    if (!s.open) continue;
    if (slot < kFirstFileSlot) {
      flush_stream(&s);
    } else {
      close_stream(&s);
    }
  }
  host_exit(status);
}

void report_fatal(const char *text) {
  host_show_fatal(text);
  host_exit(kFatalStatus);
}
