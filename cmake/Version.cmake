# Reads QUORB_VERSION_MAJOR, _MINOR and _PATCH from the public header, so the
# header is the one place that states the version; sets QUORB_VERSION.
file(STRINGS "${CMAKE_CURRENT_LIST_DIR}/../include/quorb.h" quorb_version_lines
     REGEX "^#define QUORB_VERSION_(MAJOR|MINOR|PATCH) +[0-9]+$")
foreach(part MAJOR MINOR PATCH)
  string(REGEX MATCH "QUORB_VERSION_${part} +([0-9]+)" matched "${quorb_version_lines}")
  if(NOT matched)
    message(FATAL_ERROR "include/quorb.h lacks QUORB_VERSION_${part}")
  endif()
  set(quorb_version_${part} ${CMAKE_MATCH_1})
endforeach()
set(QUORB_VERSION "${quorb_version_MAJOR}.${quorb_version_MINOR}.${quorb_version_PATCH}")
file(STRINGS "${CMAKE_CURRENT_LIST_DIR}/../include/quorb.h" quorb_version_string
     REGEX "^#define QUORB_VERSION_STRING ")
if(NOT quorb_version_string MATCHES "\"${QUORB_VERSION}\"$")
  message(FATAL_ERROR "QUORB_VERSION_STRING in include/quorb.h is not \"${QUORB_VERSION}\"")
endif()
