# Writes a file compressed as Debian wants it: PAGE as it is, or, with CLI set, the manual
# page that `CLI --manual` prints under the C locale (the same tables as its --help).
# Usage: cmake -DPAGE=... | -DCLI=... -DOUT=page.1.gz -P compressed_file.cmake
find_program(GZIP gzip REQUIRED)
if(CLI)
  get_filename_component(name "${OUT}" NAME_WLE)
  set(PAGE "${CMAKE_CURRENT_BINARY_DIR}/${name}")
  execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C LANG=C LANGUAGE= "${CLI}" --manual
                  OUTPUT_FILE "${PAGE}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${CLI} --manual failed")
  endif()
endif()
# -n: no name or time stamp inside, so that the same page gives the same bytes.
execute_process(COMMAND "${GZIP}" -9 -n -c "${PAGE}" OUTPUT_FILE "${OUT}" RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "gzip ${PAGE} failed")
endif()
