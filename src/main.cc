// Process entry, the one place that knows both the platform and the program.
// The Windows backend builds the arguments and the environment itself.
#include "platform/process/frame.h"
#include "sim/run.h"

int main(int argc, char **argv, char **envp) {
  start_process({argc, argv, envp}, run);
}
