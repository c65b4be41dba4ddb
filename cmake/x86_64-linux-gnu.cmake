# This host's own processor family, statically linked like the others: the
# reference build, run also under `qemu-x86_64 -cpu qemu64`, a processor
# without AVX2, so the portable roll kernel runs end to end.
set(CROSS_TRIPLE x86_64-linux-gnu)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
