// The frame of the process: the start-up sequence, the end of the process
// with the status handed on unchanged, and the fatal end, at once. A
// backend supplies only the steps that differ between systems.
#include "platform/process/frame.h"
#include "platform/io/stream.h"
#include "platform/process/environment.h"

void start_process(ProcessArguments given, int32_t (*run)(int, char **, char **)) {
  ProcessArguments process = host_start(given);
  environment_table = process.environment;
  host_open_terminal();
  start_streams();
  host_set_float_state();
  end_process(run(process.count, process.list, process.environment));
}

void end_process(int32_t status) {
  host_finish();
  end_streams();
  host_exit(status);
}

void report_fatal(const char *text) {
  host_show_fatal(text);
  host_exit(kFatalStatus);
}
