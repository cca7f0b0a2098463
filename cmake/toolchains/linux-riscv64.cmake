# 64-bit RISC-V (RV64GC). Debian bookworm ships a cross compiler for it but no
# riscv64 architecture to add, so pugixml and GoogleTest come from the prefix
# that scripts/cross.sh builds from Debian's sources.
set(CMAKE_SYSTEM_PROCESSOR riscv64)
set(MESHORY_TRIPLET riscv64-linux-gnu)
set(MESHORY_QEMU_CPU riscv64)
if(NOT DEFINED MESHORY_CROSS_DEPS)
    set(MESHORY_CROSS_DEPS ${CMAKE_CURRENT_LIST_DIR}/../../build/cross-deps/riscv64)
    cmake_path(NORMAL_PATH MESHORY_CROSS_DEPS)
endif()
include(${CMAKE_CURRENT_LIST_DIR}/common.cmake)
