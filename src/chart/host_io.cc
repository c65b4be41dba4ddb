#include "chart/host_io.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include <cstdio>

void use_binary_stdio() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
}
#else
void use_binary_stdio() {}
#endif
