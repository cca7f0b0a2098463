# Shared part of the Linux toolchain files: Debian's cross compiler for
# MESHORY_TRIPLET, the target's libraries from Debian's multiarch folders
# (/usr/lib/<triplet>, after dpkg --add-architecture), and qemu-user to run
# what was built, so that CTest runs the suites on the emulated CPU.
#
# Where Debian has no such architecture (riscv64 on bookworm), the libraries
# come from MESHORY_CROSS_DEPS, a prefix that scripts/cross.sh builds from
# Debian's sources, and the programs run against the cross compiler's own
# C library in /usr/<triplet>.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${MESHORY_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${MESHORY_TRIPLET}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${MESHORY_TRIPLET})

if(DEFINED MESHORY_CROSS_DEPS)
    list(PREPEND CMAKE_PREFIX_PATH ${MESHORY_CROSS_DEPS})
    set(loader_root /usr/${MESHORY_TRIPLET})
else()
    # The multiarch loader and libraries under /, not the cross compiler's
    # copy in /usr/<triplet>: that one is another build of the C library,
    # and mixing the two hangs threaded programs.
    set(loader_root /)
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-${MESHORY_QEMU_CPU} -L ${loader_root})

# jni.h and linux/jni_md.h are one pair of files for every Linux architecture
# (jni_md.h picks jlong by _LP64), so the host's JDK provides them; javac and
# jar run on the host too.
