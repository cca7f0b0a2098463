# The x86-64 library that ships in the jar (preset all-platforms): this
# machine's compiler, linked against Debian 11's C library like the cross
# builds (baseline.cmake). Not a cross build: what it makes runs here.
set(MESHORY_TRIPLET x86_64-linux-gnu)
set(CMAKE_C_COMPILER ${MESHORY_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${MESHORY_TRIPLET}-g++)
include(${CMAKE_CURRENT_LIST_DIR}/baseline.cmake)
# This machine's OpenGL headers lie in /usr/include beside its own C
# library; the shader factory's GL part is left out, as in the cross builds.
set(CMAKE_DISABLE_FIND_PACKAGE_OpenGL TRUE)
