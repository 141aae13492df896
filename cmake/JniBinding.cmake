# The Android build's Java binding: the class QuorbImport and its native
# functions, generated from the public header, built into the shared
# library. javac writes the class's JNI header (javac -h), which the natives
# include, so the compiler checks every native's name and signature against
# the Java declarations. The library then exports the natives and every
# export but the transform family, which Java reaches through the natives.
if(NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
  message(FATAL_ERROR "the Java binding passes addresses as 32-bit ints: build QUORB_ANDROID for a 32-bit target")
endif()
find_package(Java 17 REQUIRED COMPONENTS Development)

# jni.h of the JDK that compiles the class (an NDK build finds its own in
# the sysroot).
get_filename_component(quorb_javac ${Java_JAVAC_EXECUTABLE} REALPATH)
get_filename_component(quorb_jdk ${quorb_javac} DIRECTORY)
get_filename_component(quorb_jdk ${quorb_jdk} DIRECTORY)
find_path(QUORB_JNI_INCLUDE_DIR jni.h HINTS ${quorb_jdk}/include)
if(NOT ANDROID)
  find_path(QUORB_JNI_MD_INCLUDE_DIR jni_md.h HINTS ${QUORB_JNI_INCLUDE_DIR}/linux)
endif()

set(QUORB_JNI_PACKAGE org.quorb)
set(QUORB_JNI_DIR ${CMAKE_BINARY_DIR}/jni)
set(QUORB_JNI_CLASSES ${QUORB_JNI_DIR}/classes)
set(jni_java ${QUORB_JNI_DIR}/java/org/quorb/QuorbImport.java)
set(jni_natives ${QUORB_JNI_DIR}/quorb_natives.cpp)
set(jni_map ${QUORB_JNI_DIR}/android_exports.map)
set(jni_header ${QUORB_JNI_DIR}/include/org_quorb_QuorbImport.h)

add_custom_command(
  OUTPUT ${jni_java} ${jni_natives} ${QUORB_JNI_DIR}/quorb_native_list.h ${jni_map}
  COMMAND ${CMAKE_COMMAND} -DHEADER=${PROJECT_SOURCE_DIR}/include/quorb.h -DOUT_DIR=${QUORB_JNI_DIR}
          -DPACKAGE=${QUORB_JNI_PACKAGE} -P ${PROJECT_SOURCE_DIR}/cmake/write_jni_binding.cmake
  DEPENDS ${PROJECT_SOURCE_DIR}/include/quorb.h ${PROJECT_SOURCE_DIR}/cmake/write_jni_binding.cmake
          ${PROJECT_SOURCE_DIR}/cmake/HeaderSignatures.cmake
  COMMENT "Java binding from the header")
add_custom_command(
  OUTPUT ${jni_header} ${QUORB_JNI_CLASSES}/org/quorb/QuorbImport.class
  COMMAND ${Java_JAVAC_EXECUTABLE} --release 17 -h ${QUORB_JNI_DIR}/include -d ${QUORB_JNI_CLASSES} ${jni_java}
  DEPENDS ${jni_java}
  COMMENT "QuorbImport.class and its JNI header")
add_custom_target(quorb_java_class DEPENDS ${QUORB_JNI_CLASSES}/org/quorb/QuorbImport.class ${jni_header})

file(GLOB QUORB_JNI_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/jni/*.cpp)
target_sources(quorb PRIVATE ${QUORB_JNI_SOURCES} ${jni_natives} ${jni_header})
target_include_directories(quorb PRIVATE ${QUORB_JNI_DIR}/include)
target_include_directories(quorb SYSTEM PUBLIC ${QUORB_JNI_INCLUDE_DIR} ${QUORB_JNI_MD_INCLUDE_DIR})
# -Bsymbolic-functions: the natives call the exports inside the library.
target_link_options(quorb PRIVATE "-Wl,--version-script=${jni_map}" "-Wl,-Bsymbolic-functions")
set_target_properties(quorb PROPERTIES LINK_DEPENDS ${jni_map})
if(ANDROID)
  target_link_libraries(quorb PRIVATE log)  # the ABI log line
else()
  # The C++ runtime inside the library, as the NDK's static runtime has it.
  target_link_options(quorb PRIVATE -static-libstdc++ -static-libgcc)
endif()
