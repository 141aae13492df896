# The exported function names, read from the public header: every
# declaration that begins a line with QUORB_API. The one list of exports;
# the DLL's .def file and the export checks are made from it.
function(quorb_header_exports header out_var)
  file(READ ${header} text)
  string(REGEX MATCHALL "\nQUORB_API [^(]*[ *]([A-Za-z_0-9]+)\\(" declarations "${text}")
  set(names "")
  foreach(declaration IN LISTS declarations)
    string(REGEX REPLACE "^.*[ *]([A-Za-z_0-9]+)\\($" "\\1" name "${declaration}")
    list(APPEND names ${name})
  endforeach()
  list(REMOVE_DUPLICATES names)
  list(SORT names)
  set(${out_var} ${names} PARENT_SCOPE)
endfunction()
