# Every export's signature, read from the public header: each declaration
# that begins a line with QUORB_API, up to its semicolon. The Java binding
# is generated from this list, so it follows whatever the header declares.
#
# quorb_header_signatures(<header> <prefix>) sets, in the caller's scope:
#   <prefix>_NAMES                  the export names, in header order
#   <prefix>_<name>_RESULT          the result's C type ("const char*", "void", ...)
#   <prefix>_<name>_TYPES           the parameters' C types (empty for "(void)")
#   <prefix>_<name>_PARAMS          the parameters' names (a<i> where unnamed)
#   <prefix>_<name>_TRANSFORM       TRUE for an export of the transform family:
#                                   one declared under a "===== Transforms"
#                                   heading of the header
# C types come back with single blanks and the star joined to the type.

function(quorb_normal_type text out_var)
  string(REGEX REPLACE "[ \t\n]+" " " text "${text}")
  string(REGEX REPLACE " *\\* *" "* " text "${text}")
  string(STRIP "${text}" text)
  set(${out_var} "${text}" PARENT_SCOPE)
endfunction()

# Splits one parameter into its type and its name; a parameter that is a
# type alone is named a<index>.
function(quorb_split_param text index type_var name_var)
  quorb_normal_type("${text}" text)
  set(scalar_words "void|bool|char|int|short|long|float|double|size_t|u?int(8|16|32|64)_t")
  set(type "${text}")
  set(name "a${index}")
  # A trailing word is the name unless it is a type word or the whole text.
  if(text MATCHES "^(.*[ *])([A-Za-z_][A-Za-z_0-9]*)$")
    set(head "${CMAKE_MATCH_1}")
    set(word "${CMAKE_MATCH_2}")
    if(NOT word MATCHES "^(${scalar_words})$" AND NOT head MATCHES "^(const|unsigned|signed) $")
      set(type "${head}")
      set(name "${word}")
    endif()
  endif()
  quorb_normal_type("${type}" type)
  set(${type_var} "${type}" PARENT_SCOPE)
  set(${name_var} "${name}" PARENT_SCOPE)
endfunction()

function(quorb_header_signatures header prefix)
  file(READ ${header} text)
  # Headings and declarations in order, so each declaration knows the
  # heading it stands under.
  string(REGEX MATCHALL "/\\* *(=====|----)[^\n]*|\nQUORB_API [^;]*" pieces "${text}")
  set(names "")
  set(in_transforms FALSE)
  foreach(piece IN LISTS pieces)
    if(piece MATCHES "^/\\*")
      if(piece MATCHES "^/\\* *===== *Transforms")
        set(in_transforms TRUE)
      else()
        set(in_transforms FALSE)
      endif()
      continue()
    endif()
    string(REGEX REPLACE "[ \t\n]+" " " declaration "${piece}")
    string(STRIP "${declaration}" declaration)
    if(NOT declaration MATCHES "^QUORB_API (.*[ *])([A-Za-z_][A-Za-z_0-9]*) ?\\((.*)\\)$")
      message(FATAL_ERROR "cannot read the declaration: ${declaration}")
    endif()
    set(name "${CMAKE_MATCH_2}")
    set(params_text "${CMAKE_MATCH_3}")
    quorb_normal_type("${CMAKE_MATCH_1}" result)
    set(types "")
    set(params "")
    string(STRIP "${params_text}" params_text)
    if(NOT params_text STREQUAL "void" AND NOT params_text STREQUAL "")
      string(REPLACE "," ";" param_list "${params_text}")
      set(index 0)
      foreach(param IN LISTS param_list)
        quorb_split_param("${param}" ${index} type param_name)
        list(APPEND types "${type}")
        list(APPEND params "${param_name}")
        math(EXPR index "${index} + 1")
      endforeach()
    endif()
    list(APPEND names ${name})
    set(${prefix}_${name}_RESULT "${result}" PARENT_SCOPE)
    set(${prefix}_${name}_TYPES "${types}" PARENT_SCOPE)
    set(${prefix}_${name}_PARAMS "${params}" PARENT_SCOPE)
    set(${prefix}_${name}_TRANSFORM ${in_transforms} PARENT_SCOPE)
  endforeach()
  set(${prefix}_NAMES ${names} PARENT_SCOPE)
endfunction()

# The symbol of the Java native of export `name` in class QuorbImport of
# `package`: each "_" of the name is written "1", so it needs no escape.
function(quorb_native_symbol package name out_var)
  string(REPLACE "." "_" package_symbol "${package}")
  string(REPLACE "_" "1" method "${name}")
  set(${out_var} "Java_${package_symbol}_QuorbImport_${method}" PARENT_SCOPE)
endfunction()

# The Android library's exports: a Java native for every export, and every
# export but the transform family, which Java reaches through its natives.
function(quorb_android_exports header package out_var)
  quorb_header_signatures(${header} sig)
  set(names "")
  set(transforms 0)
  foreach(name IN LISTS sig_NAMES)
    quorb_native_symbol(${package} ${name} symbol)
    list(APPEND names ${symbol})
    if(sig_${name}_TRANSFORM)
      math(EXPR transforms "${transforms} + 1")
    else()
      list(APPEND names ${name})
    endif()
  endforeach()
  if(transforms EQUAL 0)
    message(FATAL_ERROR "${header} declares no transform family under a \"===== Transforms\" heading")
  endif()
  set(${out_var} ${names} PARENT_SCOPE)
endfunction()
