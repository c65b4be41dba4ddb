# 64-bit Arm: fused multiply-adds and a 128-bit long double. Runs under
# qemu-aarch64.
set(CROSS_TRIPLE aarch64-linux-gnu)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
