# The Windows x86 DLL and its tests.
set(QUORB_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
