# i386 with x87 arithmetic: every float and double goes through the 80-bit
# registers, the host most unlike the others. Runs under qemu-i386.
set(CROSS_TRIPLE i686-linux-gnu)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_CXX_FLAGS_INIT "-m32 -mfpmath=387")
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
