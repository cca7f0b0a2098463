# 32-bit ARM, hard-float (Debian's armhf: ARMv7-A, VFPv3-D16, Thumb-2):
# Raspberry Pi OS 32-bit and other ARMv7 boards. A 32-bit target, so size_t
# and pointers are 4 bytes, and unaligned doubles can fault.
set(CMAKE_SYSTEM_PROCESSOR armv7l)
set(MESHORY_TRIPLET arm-linux-gnueabihf)
set(MESHORY_QEMU_CPU arm)
include(${CMAKE_CURRENT_LIST_DIR}/common.cmake)
