# Writes the module-definition file of a Windows DLL from the public header:
#   cmake -DHEADER=quorb.h -DLIBRARY=quorb64 -DOUTPUT=quorb.def -P write_def.cmake
# The names are exported exactly as declared, undecorated.
include(${CMAKE_CURRENT_LIST_DIR}/HeaderExports.cmake)
quorb_header_exports(${HEADER} names)
set(text "LIBRARY ${LIBRARY}\nEXPORTS\n")
foreach(name IN LISTS names)
  string(APPEND text "  ${name}\n")
endforeach()
# Rewritten only when it changes, so an unchanged header relinks nothing.
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} old)
endif()
if(NOT "${old}" STREQUAL "${text}")
  file(WRITE ${OUTPUT} "${text}")
endif()
