# Windows DLLs with mingw-w64, posix thread variant, shared by the two
# toolchain files. QUORB_MINGW_ARCH is
# x86_64 (the x64 DLL) or i686 (the x86 DLL). The C and C++ runtimes and
# the thread library are linked statically, so the DLL and the test
# programs import system DLLs only.
set(triple ${QUORB_MINGW_ARCH}-w64-mingw32)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${QUORB_MINGW_ARCH})
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(static_runtime "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${static_runtime}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${static_runtime}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${static_runtime}")
# The x86 runtime keeps x87 arithmetic unless told otherwise; SSE2 gives
# every build the same rounding.
if(QUORB_MINGW_ARCH STREQUAL "i686")
  set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
  set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
endif()
# Boost's headers through a folder that holds only them (a link to the
# system's boost folder): the whole system include folder would put the
# host's C library headers before the target's.
if(QUORB_BOOST_INCLUDE)
  string(APPEND CMAKE_CXX_FLAGS_INIT " -isystem ${QUORB_BOOST_INCLUDE}")
endif()
