# The documentation's code is tested as a reader would copy it: a fenced block
# that follows the marker <!-- tested: NAME --> in a Markdown file is written
# out as a source file. One extraction for every caller:
#   include(cmake/doc_snippet.cmake) and meshory_doc_snippet(DOC NAME OUT)
#     (tests/install/check_install.cmake),
#   cmake -DDOC=README.md -DNAME=java -DOUT=Hello.java -P cmake/doc_snippet.cmake
#     (scripts/cross.sh).
function(meshory_doc_snippet doc name out_file)
    file(READ ${doc} text)
    string(FIND "${text}" "<!-- tested: ${name} -->" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "${doc} has no snippet marked '${name}'")
    endif()
    string(SUBSTRING "${text}" ${at} -1 text)
    if(NOT text MATCHES "```[a-z+]*\n(.*)")
        message(FATAL_ERROR "${doc}: no fenced block after the marker '${name}'")
    endif()
    set(text "${CMAKE_MATCH_1}")
    string(FIND "${text}" "```" end)
    string(SUBSTRING "${text}" 0 ${end} text)
    file(WRITE ${out_file} "${text}")
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
    if(NOT DOC OR NOT NAME OR NOT OUT)
        message(FATAL_ERROR "usage: cmake -DDOC=FILE.md -DNAME=NAME -DOUT=FILE -P doc_snippet.cmake")
    endif()
    meshory_doc_snippet(${DOC} ${NAME} ${OUT})
endif()
