# Generates the Java binding from the public header, so that the C exports,
# the Java natives and the export checks share one list of signatures:
#   <OUT_DIR>/java/<package path>/QuorbImport.java  one static native per export
#   <OUT_DIR>/quorb_natives.cpp     the native functions, each forwarding to
#                                   the export of the same name
#   <OUT_DIR>/quorb_native_list.h   QUORB_NATIVE(name, function, whether of the
#                                   transform family, result type, parameter
#                                   types...) per export, for tests
#   <OUT_DIR>/android_exports.map   the Android library's exports: the natives
#                                   and every export but the transform family
# Usage: cmake -DHEADER=... -DOUT_DIR=... -DPACKAGE=org.example -P write_jni_binding.cmake
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/HeaderSignatures.cmake)

# Java and JNI types of one C type (the crossing table of the binding):
# handles, addresses, sizes and bools cross as int, texts as String.
function(quorb_java_type ctype java_var jni_var)
  if(ctype STREQUAL "const char*")
    set(pair String jstring)
  elseif(ctype MATCHES "\\*$" OR ctype MATCHES "^Quorb[A-Za-z]*(Callback|Handler)$")
    set(pair int jint)
  elseif(ctype MATCHES "^(int32_t|bool|size_t|uint64_t)$")
    set(pair int jint)
  elseif(ctype STREQUAL "int64_t")
    set(pair long jlong)
  elseif(ctype STREQUAL "double")
    set(pair double jdouble)
  elseif(ctype STREQUAL "float")
    set(pair float jfloat)
  elseif(ctype STREQUAL "uint8_t")
    set(pair byte jbyte)
  elseif(ctype STREQUAL "int16_t")
    set(pair short jshort)
  elseif(ctype STREQUAL "void")
    set(pair void void)
  else()
    message(FATAL_ERROR "no Java type for the C type '${ctype}'")
  endif()
  list(GET pair 0 java)
  list(GET pair 1 jni)
  set(${java_var} ${java} PARENT_SCOPE)
  set(${jni_var} ${jni} PARENT_SCOPE)
endfunction()

# Writes `content` to `path` only when it differs, so that an unchanged
# header rebuilds nothing.
function(quorb_write_if_changed path content)
  if(EXISTS ${path})
    file(READ ${path} old)
    if(old STREQUAL content)
      return()
    endif()
  endif()
  file(WRITE ${path} "${content}")
endfunction()

set(java_keywords abstract assert boolean break byte case catch char class const continue default do double
    else enum extends final finally float for goto if implements import instanceof int interface long native
    new package private protected public return short static strictfp super switch synchronized this throw
    throws transient try void volatile while true false null var)

quorb_header_signatures(${HEADER} sig)
string(REPLACE "." "_" package_symbol "${PACKAGE}")
string(REPLACE "." "/" package_path "${PACKAGE}")

set(java "// Generated from include/quorb.h; do not edit.\npackage ${PACKAGE};\n\n")
string(APPEND java "/**\n * The Quorb library's exported functions as native methods, one per export,\n"
       " * named as the export with each '_' written '1'. Handles, addresses and\n"
       " * sizes are ints, texts are Strings (null is the empty text). The host\n"
       " * loads the library (System.loadLibrary(\"quorb\")) before the first call.\n */\n"
       "public final class QuorbImport {\n  private QuorbImport() {}\n\n")
set(natives "// Generated from include/quorb.h; do not edit.\n#include \"jni/jni_crossing.h\"\n")
string(APPEND natives "#include \"${package_symbol}_QuorbImport.h\"\n\nusing namespace QuorbJni;\n\nextern \"C\" {\n")
set(list_header "// Generated from include/quorb.h; do not edit.\n")
set(map "/* Generated from include/quorb.h: the Android library's exports. */\n{\n  global:\n")

foreach(name IN LISTS sig_NAMES)
  string(REPLACE "_" "1" method "${name}")
  quorb_native_symbol(${PACKAGE} ${name} symbol)
  set(result "${sig_${name}_RESULT}")
  quorb_java_type("${result}" java_result jni_result)

  set(java_params "")
  set(jni_params "")
  set(text_decls "")
  set(text_checks "")
  set(call_args "")
  set(list_types "\"${result}\"")
  set(uses_env FALSE)
  set(index 0)
  foreach(ctype IN LISTS sig_${name}_TYPES)
    list(GET sig_${name}_PARAMS ${index} param)
    if(param IN_LIST java_keywords)
      set(param "${param}Value")
    endif()
    quorb_java_type("${ctype}" java_type jni_type)
    list(APPEND java_params "${java_type} ${param}")
    list(APPEND jni_params "${jni_type} a${index}")
    string(APPEND list_types ", \"${ctype}\"")
    if(jni_type STREQUAL "jstring")
      set(uses_env TRUE)
      list(APPEND text_decls "t${index}")
      list(APPEND text_checks "!JniStringToStdString(env, a${index}, t${index})")
      list(APPEND call_args "t${index}.c_str()")
    else()
      list(APPEND call_args "In<${ctype}>(a${index})")
    endif()
    math(EXPR index "${index} + 1")
  endforeach()

  list(JOIN java_params ", " java_params)
  string(APPEND java "  public static native ${java_result} ${method}(${java_params});\n")

  list(JOIN call_args ", " call_args)
  set(call "${name}(${call_args})")
  if(jni_result STREQUAL "jstring")
    set(uses_env TRUE)
    set(call "return StdStringToJni(env, ${call})")
  elseif(NOT jni_result STREQUAL "void")
    set(call "return Out<${jni_result}>(${call})")
  endif()
  if(uses_env)
    set(env_param "JNIEnv* env")
  else()
    set(env_param "JNIEnv*")
  endif()
  list(PREPEND jni_params "${env_param}" "jclass")
  list(JOIN jni_params ", " jni_params)
  string(APPEND natives "\nJNIEXPORT ${jni_result} JNICALL ${symbol}(${jni_params}) {\n"
         "  return Guard<${jni_result}>([&]() -> ${jni_result} {\n")
  if(text_decls)
    list(JOIN text_decls ", " text_decls)
    list(JOIN text_checks " || " text_checks)
    string(APPEND natives "    std::string ${text_decls};\n"
           "    if (${text_checks}) return ${jni_result}();\n")
  endif()
  string(APPEND natives "    ${call};\n  });\n}\n")

  if(sig_${name}_TRANSFORM)
    set(family true)
  else()
    set(family false)
  endif()
  string(APPEND list_header "QUORB_NATIVE(\"${name}\", ${symbol}, ${family}, ${list_types})\n")
endforeach()

quorb_android_exports(${HEADER} ${PACKAGE} exports)
foreach(name IN LISTS exports)
  string(APPEND map "    ${name};\n")
endforeach()

string(APPEND java "}\n")
string(APPEND natives "\n}  // extern \"C\"\n")
string(APPEND map "  local: *;\n};\n")
quorb_write_if_changed(${OUT_DIR}/java/${package_path}/QuorbImport.java "${java}")
quorb_write_if_changed(${OUT_DIR}/quorb_natives.cpp "${natives}")
quorb_write_if_changed(${OUT_DIR}/quorb_native_list.h "${list_header}")
quorb_write_if_changed(${OUT_DIR}/android_exports.map "${map}")
