# IBM Z: big-endian, so any byte-order assumption shows. Runs under
# qemu-s390x.
set(CROSS_TRIPLE s390x-linux-gnu)
set(CMAKE_SYSTEM_PROCESSOR s390x)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
