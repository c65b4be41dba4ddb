# Shared part of the Linux toolchains that `make test-cross` builds with: the
# Debian cross compiler for CROSS_TRIPLE, its libraries from /usr/CROSS_TRIPLE,
# and a static program, so that qemu-user runs it without the target's
# dynamic loader.
set(CMAKE_SYSTEM_NAME Linux)

set(CMAKE_CXX_COMPILER ${CROSS_TRIPLE}-g++)

set(CMAKE_FIND_ROOT_PATH /usr/${CROSS_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
