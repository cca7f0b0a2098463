# 64-bit RISC-V (RV64GC). Debian ships a cross compiler for it and, in
# Debian 11, the cross C library the build links against.
set(CMAKE_SYSTEM_PROCESSOR riscv64)
set(MESHORY_TRIPLET riscv64-linux-gnu)
set(MESHORY_QEMU_CPU riscv64)
include(${CMAKE_CURRENT_LIST_DIR}/common.cmake)
