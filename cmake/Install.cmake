# What `cmake --install` puts in place: the public header, the shared
# library with its version and soname, a CMake package that gives
# Quorb::quorb to find_package(Quorb CONFIG), and quorb.pc for pkg-config.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# The soname names the releases a host can load in place of the one it was
# linked with: every later release of one major version, and before 1.0
# (when a minor release may change the interface) of one minor version.
if(PROJECT_VERSION_MAJOR EQUAL 0)
  set(QUORB_SOVERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR})
else()
  set(QUORB_SOVERSION ${PROJECT_VERSION_MAJOR})
endif()
set_target_properties(quorb PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${QUORB_SOVERSION})
# A project that adds this tree with add_subdirectory uses the same name as
# one that finds the installed package.
add_library(Quorb::quorb ALIAS quorb)

install(TARGETS quorb EXPORT QuorbTargets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/quorb.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

set(QUORB_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Quorb)
install(EXPORT QuorbTargets NAMESPACE Quorb:: DESTINATION ${QUORB_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/QuorbConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/QuorbConfig.cmake
                              INSTALL_DESTINATION ${QUORB_CMAKE_DIR})
# Before 1.0 a minor release may change the interface.
if(PROJECT_VERSION_MAJOR EQUAL 0)
  set(quorb_compatibility SameMinorVersion)
else()
  set(quorb_compatibility SameMajorVersion)
endif()
write_basic_package_version_file(${PROJECT_BINARY_DIR}/QuorbConfigVersion.cmake
                                 COMPATIBILITY ${quorb_compatibility})
install(FILES ${PROJECT_BINARY_DIR}/QuorbConfig.cmake ${PROJECT_BINARY_DIR}/QuorbConfigVersion.cmake
        DESTINATION ${QUORB_CMAKE_DIR})

# quorb.pc names its directories relative to its own place (${pcfiledir}),
# so an install moved, or made with `cmake --install --prefix`, stays right.
set(QUORB_PC_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH quorb_pc_up "/prefix/${QUORB_PC_DIR}" "/prefix")
string(REGEX REPLACE "/$" "" quorb_pc_up "${quorb_pc_up}")
set(QUORB_PC_PREFIX "\${pcfiledir}/${quorb_pc_up}")
foreach(dir LIBDIR INCLUDEDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${dir}}")
    set(QUORB_PC_${dir} "${CMAKE_INSTALL_${dir}}")
  else()
    set(QUORB_PC_${dir} "\${prefix}/${CMAKE_INSTALL_${dir}}")
  endif()
endforeach()
configure_file(${CMAKE_CURRENT_LIST_DIR}/quorb.pc.in ${PROJECT_BINARY_DIR}/quorb.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/quorb.pc DESTINATION ${QUORB_PC_DIR})
