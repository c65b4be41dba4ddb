// Process entry: the start-up sequence, one run, the end of the process.
#include <cfenv>
#include <csignal>

#include "platform/environment.h"
#include "platform/platform.h"
#include "platform/posix/posix.h"
#include "platform/posix/terminal.h"
#include "platform/stream.h"
#include "sim/run.h"

// The host has built the argument list and the environment already; the run
// is handed both and uses neither.
int main(int argc, char **argv, char **envp) {
  posix_catch_faults();
  // A closed pipe or a file size limit must fail the write, not end the
  // process: the run reports its own failures.
  signal(SIGPIPE, SIG_IGN);
  signal(SIGXFSZ, SIG_IGN);
  fesetround(FE_TONEAREST);
  environment_table = envp;
  terminal_open();
  streams_start();
  end_process(run(argc, argv, envp));
}
