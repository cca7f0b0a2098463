# The blob-pack reader and writer, and the inspector's work apart from its
# command line: listed once, for the tools and for the fuzz build, which
# compiles them into its inspector target.
set(MESHORY_PACK_SOURCES ${CMAKE_CURRENT_LIST_DIR}/pack/blob_pack.cpp)
set(MESHORY_INSPECT_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/inspect/replay.cpp
    ${CMAKE_CURRENT_LIST_DIR}/inspect/text.cpp
    ${CMAKE_CURRENT_LIST_DIR}/inspect/offset_bands.cpp
    ${CMAKE_CURRENT_LIST_DIR}/inspect/top_view.cpp
    ${CMAKE_CURRENT_LIST_DIR}/inspect/labels.cpp
    ${CMAKE_CURRENT_LIST_DIR}/inspect/tables.cpp
    ${CMAKE_CURRENT_LIST_DIR}/inspect/layer_style.cpp
    ${CMAKE_CURRENT_LIST_DIR}/inspect/gltf_writer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/inspect/svg_writer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/inspect/page_writer.cpp)
