# The Windows x64 DLL and its tests.
set(QUORB_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
