// Process entry for Windows: the backend builds the argument list and the
// environment table itself, from what the host hands over.
#include "platform/process/frame.h"

int main() {
  start_process({});
}
