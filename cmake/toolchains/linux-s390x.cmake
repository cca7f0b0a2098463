# IBM Z (s390x): a big-endian 64-bit CPU. Built to prove that nothing reads
# or writes bytes in host order, not shipped in the jar.
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(MESHORY_TRIPLET s390x-linux-gnu)
set(MESHORY_QEMU_CPU s390x)
include(${CMAKE_CURRENT_LIST_DIR}/common.cmake)
