# An i386 Linux build on an x86-64 host: SSE2 arithmetic (as every 32-bit
# deliverable has it), run under qemu-i386 because the host kernel may run
# no 32-bit programs. QUORB_I386_ROOT is the root of the i386 libraries.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT "-m32 -msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-m32 -msse2 -mfpmath=sse")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
if(NOT DEFINED QUORB_I386_ROOT)
  set(QUORB_I386_ROOT /)
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386 -L ${QUORB_I386_ROOT})
# Boost's headers through a folder that holds only them (a link to the
# system's boost folder): the whole system include folder would put the
# host's C library headers before the target's.
if(QUORB_BOOST_INCLUDE)
  string(APPEND CMAKE_CXX_FLAGS_INIT " -isystem ${QUORB_BOOST_INCLUDE}")
endif()
