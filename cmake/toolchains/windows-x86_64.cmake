# Windows x86-64 with Debian's MinGW-w64 (the POSIX thread model, which
# std::thread and std::mutex need), every suite run under wine64. Everything
# is linked statically: meshory.dll and the test programs need only the DLLs
# every Windows has.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MESHORY_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MESHORY_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MESHORY_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MESHORY_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MESHORY_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(link_flags "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${link_flags}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${link_flags}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${link_flags}")
set(MESHORY_STATIC_RUNTIME ON CACHE BOOL "")

# pugixml, GoogleTest and tinygltf built for MinGW by scripts/cross.sh.
if(NOT DEFINED MESHORY_CROSS_DEPS)
    set(MESHORY_CROSS_DEPS ${CMAKE_CURRENT_LIST_DIR}/../../build/baseline/${MESHORY_TRIPLET}/deps)
    cmake_path(NORMAL_PATH MESHORY_CROSS_DEPS)
endif()
list(PREPEND CMAKE_FIND_ROOT_PATH ${MESHORY_CROSS_DEPS})

# The JDK here is Linux's: jni.h serves every platform, jni_md.h does not,
# so the build's own (cmake/windows/jni_md.h) stands in for include/win32.
# Nothing links the JVM itself; the natives are found by name at run time.
foreach(java_home IN ITEMS $ENV{JAVA_HOME} /usr/lib/jvm/java-17-openjdk-amd64 /usr/lib/jvm/default-java)
    if(EXISTS ${java_home}/include/jni.h)
        set(JAVA_INCLUDE_PATH ${java_home}/include CACHE PATH "")
        break()
    endif()
endforeach()
set(JAVA_INCLUDE_PATH2 ${CMAKE_CURRENT_LIST_DIR}/../windows CACHE PATH "")
set(JAVA_AWT_INCLUDE_PATH ${CMAKE_CURRENT_LIST_DIR}/../windows CACHE PATH "")
set(JAVA_JVM_LIBRARY jvm CACHE STRING "")
set(JAVA_AWT_LIBRARY jawt CACHE STRING "")

# Each program runs under wine64 in a Wine prefix of the build's own; those
# that link meshory.dll find it on WINEPATH (Windows has no rpath).
find_program(MESHORY_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT MESHORY_WINE64)
    find_program(MESHORY_WINE64 NAMES wine64 wine)
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_COMMAND} -E env WINEPREFIX=${CMAKE_BINARY_DIR}/wine
    WINEDEBUG=-all WINEPATH=Z:${CMAKE_BINARY_DIR}/src ${MESHORY_WINE64})

# The fuzz replay programs' one header from clang's runtime, outside the
# MinGW root that header searches are confined to.
find_program(clang NAMES clang clang-14)
if(clang AND NOT MESHORY_FUZZED_DATA_PROVIDER)
    execute_process(COMMAND ${clang} -print-resource-dir
        OUTPUT_VARIABLE resource_dir OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(EXISTS ${resource_dir}/include/fuzzer/FuzzedDataProvider.h)
        set(MESHORY_FUZZED_DATA_PROVIDER ${resource_dir}/include/fuzzer/FuzzedDataProvider.h CACHE FILEPATH "")
    endif()
endif()
