// Process entry: the host has built the argument list and the environment.
#include "platform/process/frame.h"

int main(int argc, char **argv, char **envp) {
  start_process({argc, argv, envp});
}
