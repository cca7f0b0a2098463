file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "failed: ${ARGN}\n${out}")
    endif()
    set(last_output "${out}" PARENT_SCOPE)
endfunction()

# The documentation's snippets, extracted as scripts/cross.sh extracts them.
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/doc_snippet.cmake)

# Installed with a relative prefix, as a user types it: every install step,
# the Maven folder's checksums and metadata among them, must take it from the
# working folder.
file(MAKE_DIRECTORY ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix prefix --component Unspecified
    WORKING_DIRECTORY ${WORK_DIR} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "install with the relative prefix 'prefix' failed:\n${out}")
endif()

# Only the public headers, all under include/meshory/.
file(GLOB_RECURSE headers RELATIVE ${prefix}/include ${prefix}/include/*)
list(SORT headers)
set(expected meshory/camera/glcamera.h meshory/debug/debuglog.h meshory/export.h
    meshory/geometry/aabb2d.h meshory/geometry/mathglm.h meshory/geometry/texturedline.h
    meshory/geometry/zero_area.h
    meshory/grid/grid.h meshory/map/label_selection.h meshory/map/pick.h meshory/model/blob_records.h meshory/model/glmodel.h meshory/model/host_output.h
    meshory/model/label_placement.h
    meshory/model/meshory.h meshory/model/model_conversions.h meshory/model/tile.h
    meshory/styles/geostyle_lib.h meshory/styles/geostyles_lib.h meshory/styles/style_list.h
    meshory/styles/style_record.h
    meshory/vectortile/mapping.h meshory/vectortile/reader.h meshory/vectortile/vectortile.h
    meshory/version.h)
if(NOT headers STREQUAL expected)
    message(FATAL_ERROR "installed headers differ from the public ones:\n${headers}")
endif()

# A sanitized library needs its runtime linked into the program that loads it.
set(flags "")
if(SANITIZE)
    set(flags "-fsanitize=${SANITIZE}")
endif()
set(snippet ${WORK_DIR}/snippet.cpp)
meshory_doc_snippet(${README} cpp ${snippet})
# A cross build's consumers: its toolchain, run under its emulator.
set(toolchain "")
set(emulator "")
if(TOOLCHAIN)
    # Named directly: a toolchain may confine package searches to its own
    # root folders (MinGW's), which the scratch prefix is not under.
    set(toolchain -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN} -Dmeshory_DIR=${prefix}/${LIBDIR}/cmake/meshory)
    separate_arguments(emulator UNIX_COMMAND "${EMULATOR}")
endif()
# Only when there are flags: an empty value would also replace the
# toolchain's own (a cross build's static C++ runtime).
set(link_flags "")
if(flags)
    set(link_flags -DCMAKE_EXE_LINKER_FLAGS=${flags})
endif()
run(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/build -G ${GENERATOR} ${toolchain}
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Release ${link_flags}
    -DSNIPPET=${snippet})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run(${emulator} ${WORK_DIR}/build/consumer${EXE_SUFFIX})
run(${emulator} ${WORK_DIR}/build/snippet${EXE_SUFFIX})
if(TOOLCHAIN)
    # The pkg-config file is the same text for every target; the host's run
    # checks it.
    message(STATUS "C++ consumers built and ran against ${prefix} under ${EMULATOR}")
    return()
endif()

# The same snippet through pkg-config alone.
run(${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${prefix}/${LIBDIR}/pkgconfig
    pkg-config --cflags --libs meshory)
string(STRIP "${last_output}" pc_flags)
separate_arguments(pc_flags UNIX_COMMAND "${pc_flags}")
run(${CXX} -std=c++20 ${snippet} -o ${WORK_DIR}/snippet-pc ${pc_flags} ${flags}
    -Wl,-rpath,${prefix}/${LIBDIR})
run(${WORK_DIR}/snippet-pc)
message(STATUS "C++ consumers built and ran against ${prefix}")

if(NOT JAVA)
    return()
endif()
# The Java snippet against the installed jar alone: no library path, no
# property; the jar loads the library it carries, extracted into this cache.
set(jar ${prefix}/${MAVEN_DIR}/meshory-${VERSION}.jar)
# A complete repository folder: every artifact with the checksums Maven's
# resolver checks, and the artifact's maven-metadata.xml naming this version.
cmake_path(GET MAVEN_DIR PARENT_PATH artifact_dir)
foreach(artifact ${MAVEN_DIR}/meshory-${VERSION}.jar ${MAVEN_DIR}/meshory-${VERSION}.pom
        ${MAVEN_DIR}/meshory-${VERSION}-sources.jar ${MAVEN_DIR}/meshory-${VERSION}-javadoc.jar
        ${artifact_dir}/maven-metadata.xml)
    if(NOT EXISTS ${prefix}/${artifact})
        message(FATAL_ERROR "${artifact} not installed in ${prefix}")
    endif()
    foreach(algorithm MD5 SHA1 SHA256 SHA512)
        string(TOLOWER ${algorithm} suffix)
        file(${algorithm} ${prefix}/${artifact} expected)
        if(NOT EXISTS ${prefix}/${artifact}.${suffix})
            message(FATAL_ERROR "${artifact}.${suffix} not installed")
        endif()
        file(READ ${prefix}/${artifact}.${suffix} recorded)
        if(NOT recorded STREQUAL expected)
            message(FATAL_ERROR "${artifact}.${suffix} holds '${recorded}', the file's ${algorithm} is ${expected}")
        endif()
    endforeach()
endforeach()
file(READ ${prefix}/${artifact_dir}/maven-metadata.xml metadata)
if(NOT metadata MATCHES "<release>${VERSION}</release>" OR NOT metadata MATCHES "<version>${VERSION}</version>")
    message(FATAL_ERROR "maven-metadata.xml does not name ${VERSION}:\n${metadata}")
endif()
set(java_dir ${WORK_DIR}/java)
file(MAKE_DIRECTORY ${java_dir}/classes)
meshory_doc_snippet(${README} java ${java_dir}/HelloMeshory.java)
run(${JAVAC} -Xlint:all -Werror -cp ${jar} -d ${java_dir}/classes ${java_dir}/HelloMeshory.java)
set(cache ${WORK_DIR}/cache)
# Twice: the first run extracts, the second finds the intact copy.
foreach(round 1 2)
    run(${CMAKE_COMMAND} -E env --unset=LD_LIBRARY_PATH --unset=JAVA_TOOL_OPTIONS XDG_CACHE_HOME=${cache}
        ${JAVA} -Xcheck:jni -cp ${jar}:${java_dir}/classes HelloMeshory)
    if(NOT last_output MATCHES "\\[2\\.0, 0\\.0, 0\\.0\\]" OR last_output MATCHES "WARNING in native method|WARNING: JNI")
        message(FATAL_ERROR "unexpected output of the Java snippet:\n${last_output}")
    endif()
endforeach()
file(GLOB extracted ${cache}/meshory/*/libmeshory.so)
list(LENGTH extracted count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one extracted library in ${cache}, found: ${extracted}")
endif()
file(GLOB leftovers ${cache}/meshory/*/partial-*)
if(leftovers)
    message(FATAL_ERROR "extraction left files behind: ${leftovers}")
endif()
message(STATUS "Java consumer ran against ${jar} alone")
