# Installs the built library into a fresh prefix, then builds and runs one
# small host against that prefix twice: through find_package(Quorb) and
# through pkg-config. Run with `cmake -P`; the variables it reads:
#   BUILD_DIR     the configured and built Quorb tree
#   CONFIG        the configuration to install (multi-configuration builds)
#   WORK_DIR      scratch folder, emptied first
#   CONSUMER_DIR  the consumer project (tests/install/consumer)
#   GENERATOR, C_COMPILER, C_FLAGS, TOOLCHAIN   as the Quorb build used them
#   EMULATOR      the command that runs the build's programs, if any
#   LIBDIR, VERSION, SOVERSION        where libraries go, the version and the
#                                     soname's version
#   SOURCE_DIR, CHECK_SUBPROJECT, CXX_COMPILER   the Quorb source tree, and
#                 whether to build it as a subproject with that compiler
cmake_minimum_required(VERSION 3.20)

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${what} failed (${status}):\n${out}\n${err}")
  endif()
  set(run_output "${out}" PARENT_SCOPE)
endfunction()

# The host prints the header's version and the value of 1+2*3.
function(expect_host_runs what program)
  separate_arguments(emulator UNIX_COMMAND "${EMULATOR}")
  run("${what}" ${emulator} ${program})
  if(NOT run_output STREQUAL "${VERSION} 7\n")
    message(FATAL_ERROR "${what} printed \"${run_output}\", not \"${VERSION} 7\"")
  endif()
endfunction()

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
set(config_args)
if(CONFIG)
  set(config_args --config ${CONFIG})
endif()
run("installing" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix} ${config_args})

foreach(installed include/quorb.h ${LIBDIR}/libquorb.so.${SOVERSION} ${LIBDIR}/libquorb.so.${VERSION}
                  ${LIBDIR}/cmake/Quorb/QuorbConfig.cmake ${LIBDIR}/pkgconfig/quorb.pc)
  if(NOT EXISTS ${prefix}/${installed})
    message(FATAL_ERROR "the install lacks ${installed}")
  endif()
endforeach()

# The soname the library itself carries, where binutils can read it.
find_program(READELF readelf)
if(READELF)
  run("reading the soname" ${READELF} -d ${prefix}/${LIBDIR}/libquorb.so.${VERSION})
  if(NOT run_output MATCHES "\\[libquorb\\.so\\.${SOVERSION}\\]")
    message(FATAL_ERROR "the library's soname is not libquorb.so.${SOVERSION}:\n${run_output}")
  endif()
endif()

# Through the CMake package.
run("configuring the consumer" ${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/cmake -G ${GENERATOR}
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_C_COMPILER=${C_COMPILER} "-DCMAKE_C_FLAGS=${C_FLAGS}"
    "-DCMAKE_EXE_LINKER_FLAGS=${C_FLAGS}" "-DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN}"
    -DQUORB_EXPECTED_VERSION=${VERSION})
run("building the consumer" ${CMAKE_COMMAND} --build ${WORK_DIR}/cmake)
expect_host_runs("the consumer built with find_package" ${WORK_DIR}/cmake/consumer)

# Through pkg-config, with nothing from CMake but the compiler.
set(ENV{PKG_CONFIG_PATH} ${prefix}/${LIBDIR}/pkgconfig)
run("pkg-config --modversion" pkg-config --modversion quorb)
if(NOT run_output STREQUAL "${VERSION}\n")
  message(FATAL_ERROR "pkg-config gives version \"${run_output}\", not ${VERSION}")
endif()
run("pkg-config --cflags --libs" pkg-config --cflags --libs quorb)
separate_arguments(pc_flags UNIX_COMMAND "${run_output}")
separate_arguments(c_flags UNIX_COMMAND "${C_FLAGS}")
file(MAKE_DIRECTORY ${WORK_DIR}/pkg-config)
run("compiling the consumer with pkg-config's flags" ${C_COMPILER} ${c_flags} ${CONSUMER_DIR}/consumer.c ${pc_flags}
    -Wl,-rpath,${prefix}/${LIBDIR} -o ${WORK_DIR}/pkg-config/consumer)
expect_host_runs("the consumer built with pkg-config" ${WORK_DIR}/pkg-config/consumer)
# As a subproject of a project without GoogleTest, from the source tree.
if(NOT CHECK_SUBPROJECT)
  message(STATUS "installed package works through find_package and pkg-config")
  return()
endif()
run("configuring the add_subdirectory consumer" ${CMAKE_COMMAND} -S ${CONSUMER_DIR}/../subproject
    -B ${WORK_DIR}/subproject -G ${GENERATOR} -DQUORB_SOURCE_DIR=${SOURCE_DIR}
    -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_C_COMPILER=${C_COMPILER} -DCMAKE_CXX_COMPILER=${CXX_COMPILER})
run("building the add_subdirectory consumer" ${CMAKE_COMMAND} --build ${WORK_DIR}/subproject --target consumer
    --parallel 4)
expect_host_runs("the consumer built with add_subdirectory" ${WORK_DIR}/subproject/consumer)
message(STATUS "installed package works through find_package and pkg-config, the source tree through add_subdirectory")
