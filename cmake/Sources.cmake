# Source lists by folder. Globs keep a new file from needing a CMake edit;
# CONFIGURE_DEPENDS re-runs the glob when files come or go.
file(GLOB QUORB_CORE_SOURCES CONFIGURE_DEPENDS
     ${CMAKE_CURRENT_SOURCE_DIR}/src/types/*.cpp
     ${CMAKE_CURRENT_SOURCE_DIR}/src/scanner/*.cpp
     ${CMAKE_CURRENT_SOURCE_DIR}/src/engine/*.cpp
     ${CMAKE_CURRENT_SOURCE_DIR}/src/builtins/*.cpp)
file(GLOB QUORB_API_SOURCES CONFIGURE_DEPENDS
     ${CMAKE_CURRENT_SOURCE_DIR}/src/api/*.cpp)
