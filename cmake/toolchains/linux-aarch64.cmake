# 64-bit ARM (ARMv8-A): ARM servers and laptops, Raspberry Pi OS 64-bit.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(MESHORY_TRIPLET aarch64-linux-gnu)
set(MESHORY_QEMU_CPU aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/common.cmake)
