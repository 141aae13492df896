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
