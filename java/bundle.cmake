# Makes the jar a host takes: the compiled classes plus libmeshory.so (on
# Windows meshory.dll) under META-INF/native/<platform>/, where NativeLoader
# looks for it.
# In: JAR (the jar tool), CLASSES (the classes jar), LIBRARY, PLATFORM, OUT,
# and NATIVES: more <platform>=<file> entries, separated by '|' (cross builds).
set(stage ${OUT}.stage)
file(REMOVE_RECURSE ${stage})

# ELF e_machine of each platform's library, the two bytes at offset 18 in the
# file's own byte order: a library built for another CPU is refused, not
# shipped under a folder where it cannot load. (s390x only proves the byte
# order in tests; the jar for every platform leaves it out.)
set(machine_linux-x86_64 3e00)
set(machine_linux-aarch64 b700)
set(machine_linux-arm 2800)
set(machine_linux-riscv64 f300)
set(machine_linux-s390x 0016)

string(REPLACE "|" ";" natives "${NATIVES}")
set(entries "${PLATFORM}=${LIBRARY}" ${natives})
foreach(entry IN LISTS entries)
    string(REGEX MATCH "^([^=]+)=(.+)$" _ "${entry}")
    set(platform ${CMAKE_MATCH_1})
    # The real file, not the SONAME link, under the name System.mapLibraryName gives.
    file(REAL_PATH ${CMAKE_MATCH_2} library)
    if(NOT EXISTS ${library})
        message(FATAL_ERROR "${library} (${platform}) does not exist: build it first (scripts/cross.sh)")
    endif()
    if(platform MATCHES "^windows-")
        # A PE file: "MZ", the PE header's offset at 0x3c, there "PE\0\0" and
        # the machine (0x8664 is x86-64, little-endian).
        file(READ ${library} dos LIMIT 64 HEX)
        string(SUBSTRING "${dos}" 120 8 pe_offset)
        string(REGEX REPLACE "^(..)(..)(..)(..)$" "\\4\\3\\2\\1" pe_offset "${pe_offset}")
        math(EXPR pe_offset "0x${pe_offset}")
        file(READ ${library} header OFFSET ${pe_offset} LIMIT 6 HEX)
        string(SUBSTRING "${header}" 8 4 machine)
        if(NOT dos MATCHES "^4d5a" OR NOT header MATCHES "^50450000" OR NOT machine STREQUAL "6486"
                OR NOT platform STREQUAL "windows-x86_64")
            message(FATAL_ERROR "${library} is no DLL for ${platform} (machine bytes ${machine})")
        endif()
        set(name meshory.dll)
    else()
        file(READ ${library} header LIMIT 20 HEX)
        string(SUBSTRING "${header}" 36 4 machine)
        if(NOT DEFINED machine_${platform} OR NOT header MATCHES "^7f454c46" OR NOT machine STREQUAL machine_${platform})
            message(FATAL_ERROR "${library} is no ELF library for ${platform} (machine bytes ${machine})")
        endif()
        set(name libmeshory.so)
    endif()
    file(MAKE_DIRECTORY ${stage}/META-INF/native/${platform})
    file(COPY_FILE ${library} ${stage}/META-INF/native/${platform}/${name})
endforeach()

file(COPY_FILE ${CLASSES} ${OUT}.tmp)
execute_process(COMMAND ${JAR} --update --file ${OUT}.tmp -C ${stage} META-INF/native
    RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "jar --update failed for ${OUT}")
endif()
file(RENAME ${OUT}.tmp ${OUT})
file(REMOVE_RECURSE ${stage})
