# Fails when a source file of the core includes a Qt header.
file(READ "${LIST_FILE}" _files)
foreach(f ${_files})
  file(STRINGS "${f}" _hits REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](Q[A-Za-z]|Qt)")
  if(_hits)
    message(FATAL_ERROR "The core must not include Qt: ${f}: ${_hits}")
  endif()
endforeach()
