# Shared part of the Linux toolchain files: Debian's cross compiler for
# MESHORY_TRIPLET, linked against Debian 11's C library (baseline.cmake),
# and qemu-user to run what was built, so that CTest runs the suites on the
# emulated CPU against that same old C library.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${MESHORY_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${MESHORY_TRIPLET}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${MESHORY_TRIPLET})
include(${CMAKE_CURRENT_LIST_DIR}/baseline.cmake)

# The old C library's loader and libraries, and nothing of any multiarch
# copy this machine may have: mixing two builds of the C library hangs
# threaded programs. LD_LIBRARY_PATH=/lib makes the loader look in the
# emulator's prefix first.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-${MESHORY_QEMU_CPU} -L ${MESHORY_BASELINE_LIBC} -E LD_LIBRARY_PATH=/lib)

# jni.h and linux/jni_md.h are one pair of files for every Linux architecture
# (jni_md.h picks jlong by _LP64), so the host's JDK provides them; javac and
# jar run on the host too.
