# The C library every shipped libmeshory.so is linked against: Debian 11's
# (glibc 2.31), from its cross packages, which scripts/cross.sh unpacks into
# build/baseline/<triplet>/usr/<triplet>. The compiler, its C++ headers and
# its C++ runtime stay this machine's; the runtime is linked in statically,
# so no libstdc++ of this machine's age is needed where the library runs.
# A library linked against an older C library runs on every newer one: what
# it may call is what Debian 11, Ubuntu 20.04 and RHEL 8's kin provide.
#
# In: MESHORY_TRIPLET, CMAKE_CXX_COMPILER (and CMAKE_C_COMPILER).
if(NOT DEFINED MESHORY_BASELINE)
    set(MESHORY_BASELINE ${CMAKE_CURRENT_LIST_DIR}/../../build/baseline/${MESHORY_TRIPLET})
    cmake_path(NORMAL_PATH MESHORY_BASELINE)
endif()
set(MESHORY_BASELINE_LIBC ${MESHORY_BASELINE}/usr/${MESHORY_TRIPLET})
if(NOT EXISTS ${MESHORY_BASELINE_LIBC}/lib/libc.so)
    message(FATAL_ERROR "No C library for ${MESHORY_TRIPLET} in ${MESHORY_BASELINE}: run bash scripts/cross.sh")
endif()

# The compiler's own header folders (the C++ library's and gcc's) stay; its
# C library's give way to the older one.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -x c++ -E -v /dev/null
    OUTPUT_QUIET ERROR_VARIABLE verbose RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT verbose MATCHES "#include <...> search starts here:\n(.*)End of search list")
    message(FATAL_ERROR "cannot read the header folders of ${CMAKE_CXX_COMPILER}")
endif()
string(REPLACE "\n" ";" folders "${CMAKE_MATCH_1}")
set(cxx_flags -nostdinc)
set(c_flags -nostdinc)
foreach(folder IN LISTS folders)
    string(STRIP "${folder}" folder)
    cmake_path(NORMAL_PATH folder)
    string(REGEX REPLACE "/$" "" folder "${folder}")
    if(folder MATCHES "/c\\+\\+/")
        list(APPEND cxx_flags -isystem ${folder})
    elseif(folder MATCHES "/gcc(-cross)?/[^/]+/[0-9]+/include(-fixed)?$")
        list(APPEND cxx_flags -isystem ${folder})
        list(APPEND c_flags -isystem ${folder})
    endif()
endforeach()
list(APPEND cxx_flags -isystem ${MESHORY_BASELINE_LIBC}/include)
list(APPEND c_flags -isystem ${MESHORY_BASELINE_LIBC}/include)
list(JOIN cxx_flags " " cxx_flags)
list(JOIN c_flags " " c_flags)
set(CMAKE_CXX_FLAGS_INIT "${cxx_flags}")
set(CMAKE_C_FLAGS_INIT "${c_flags}")

# Start files and libraries from the old C library first (its libc.so names
# its parts by absolute paths, which the linker finds under --sysroot).
set(link_flags "--sysroot=${MESHORY_BASELINE} -B${MESHORY_BASELINE_LIBC}/lib/ -L${MESHORY_BASELINE_LIBC}/lib -static-libstdc++ -static-libgcc")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${link_flags}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${link_flags}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${link_flags}")

# What the static C++ runtime needs of newer C libraries (baseline_compat.c),
# compiled here once, goes into every link; libpthread and libdl are still
# apart from libc in glibc 2.31.
set(compat_source ${CMAKE_CURRENT_LIST_DIR}/baseline_compat.c)
set(compat_object ${MESHORY_BASELINE}/baseline_compat.o)
if(NOT EXISTS ${compat_object} OR ${compat_source} IS_NEWER_THAN ${compat_object})
    separate_arguments(compile_flags UNIX_COMMAND "${c_flags}")
    execute_process(COMMAND ${CMAKE_C_COMPILER} ${compile_flags} -std=c11 -O2 -fPIC -Wall -Wextra
            -c ${compat_source} -o ${compat_object}.tmp
        RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "cannot compile ${compat_source}")
    endif()
    file(RENAME ${compat_object}.tmp ${compat_object})
endif()
set(CMAKE_C_STANDARD_LIBRARIES_INIT "${compat_object} -lpthread -ldl")
set(CMAKE_CXX_STANDARD_LIBRARIES_INIT "${compat_object} -lpthread -ldl")

# pugixml, GoogleTest, tinygltf and glm's package, built or copied for this
# C library by scripts/cross.sh, before anything of this machine.
list(PREPEND CMAKE_PREFIX_PATH ${MESHORY_BASELINE}/deps)
set(MESHORY_STATIC_RUNTIME ON CACHE BOOL "")
