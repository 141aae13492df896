# Per-platform parts of the library targets: the Windows behaviour switch
# and the Windows DLL's name and exports.

# The Windows builds' observable differences (case-insensitive default
# patterns, standard-call host callbacks on x86) on any build, so that an
# i386 Linux build can stand in for the Windows x86 DLL in tests.
option(QUORB_WINDOWS_BEHAVIOUR "Behave as the Windows builds do" OFF)
if(QUORB_WINDOWS_BEHAVIOUR)
  target_compile_definitions(quorb_core PUBLIC QUORB_WINDOWS_BEHAVIOUR)
  target_compile_definitions(quorb PUBLIC QUORB_WINDOWS_BEHAVIOUR)
endif()

if(WIN32)
  # quorb64.dll or quorb32.dll, exporting exactly the header's functions
  # under their plain names through a .def file made from the header.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(QUORB_DLL_NAME quorb64)
  else()
    set(QUORB_DLL_NAME quorb32)
  endif()
  set(def_file ${CMAKE_CURRENT_BINARY_DIR}/${QUORB_DLL_NAME}.def)
  add_custom_command(
    OUTPUT ${def_file}
    COMMAND ${CMAKE_COMMAND} -DHEADER=${PROJECT_SOURCE_DIR}/include/quorb.h -DLIBRARY=${QUORB_DLL_NAME}.dll
            -DOUTPUT=${def_file} -P ${PROJECT_SOURCE_DIR}/cmake/write_def.cmake
    DEPENDS ${PROJECT_SOURCE_DIR}/include/quorb.h ${PROJECT_SOURCE_DIR}/cmake/write_def.cmake
            ${PROJECT_SOURCE_DIR}/cmake/HeaderExports.cmake
    COMMENT "Exports of ${QUORB_DLL_NAME}.dll from the header")
  target_sources(quorb PRIVATE ${def_file})
  set_target_properties(quorb PROPERTIES OUTPUT_NAME ${QUORB_DLL_NAME} PREFIX "")
endif()

if(WIN32)
  # The math functions the built-ins take from the Universal C runtime
  # (src/builtins/c_math.h): an import library of just those, so that the
  # rest of the C runtime stays the one the toolchain links.
  if(NOT CMAKE_DLLTOOL)
    string(REGEX REPLACE "g\\+\\+(-posix)?$" "dlltool" dlltool_guess "${CMAKE_CXX_COMPILER}")
    find_program(CMAKE_DLLTOOL NAMES ${dlltool_guess} dlltool REQUIRED)
  endif()
  set(crt_math_def ${PROJECT_SOURCE_DIR}/cmake/windows_crt_math.def)
  set(crt_math_lib ${CMAKE_CURRENT_BINARY_DIR}/libquorb_crt_math.a)
  add_custom_command(
    OUTPUT ${crt_math_lib}
    COMMAND ${CMAKE_DLLTOOL} -d ${crt_math_def} -l ${crt_math_lib}
    DEPENDS ${crt_math_def}
    COMMENT "Import library of the C runtime's math functions")
  add_custom_target(quorb_crt_math_import DEPENDS ${crt_math_lib})
  add_library(quorb_crt_math INTERFACE)
  add_dependencies(quorb_crt_math quorb_crt_math_import)
  target_link_libraries(quorb_crt_math INTERFACE ${crt_math_lib})
  target_link_libraries(quorb_core PUBLIC quorb_crt_math)
endif()
