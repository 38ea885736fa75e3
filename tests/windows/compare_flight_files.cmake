# The files the Windows module left after the flight of tests/e2e/flight_files_test.cpp under
# Wine, against the ones the Linux module left after the same flight: the same bytes, except
# that every line of the Windows files ends with CR LF, the platform's text convention.
#   cmake -DWINDOWS=<plug-in folder> -DLINUX=<plug-in folder> -P compare_flight_files.cmake
foreach(name Plotwright1.csv Plotwright2.csv Plotwright3.csv PlotwrightNew.ini)
  foreach(side WINDOWS_FILES LINUX_FILES)
    if(NOT EXISTS "${${side}}/${name}")
      message(FATAL_ERROR "No ${${side}}/${name}: run the flight on both platforms first "
                          "(make test runs the Linux suite before the Windows one).")
    endif()
  endforeach()
  file(READ "${WINDOWS_FILES}/${name}" windows HEX)
  file(READ "${LINUX_FILES}/${name}" linux HEX)
  if(linux STREQUAL "")
    message(FATAL_ERROR "${LINUX_FILES}/${name} is empty: the flight recorded nothing")
  endif()
  # Hex digits pair up from the start, so "0d0a" is matched on byte boundaries only after the
  # bytes are spaced out.
  string(REGEX REPLACE "(..)" "\\1 " windows "${windows}")
  string(REGEX REPLACE "(..)" "\\1 " linux "${linux}")
  string(REPLACE "0d 0a " "0a " windows_lf "${windows}")
  string(REGEX MATCHALL "0a " windows_lines "${windows_lf}")
  string(REGEX MATCHALL "0d 0a " windows_crlf "${windows}")
  list(LENGTH windows_lines lines)
  list(LENGTH windows_crlf crlf)
  if(NOT lines EQUAL crlf)
    message(FATAL_ERROR "${WINDOWS_FILES}/${name}: ${crlf} of its ${lines} lines end with CR LF")
  endif()
  if(NOT windows_lf STREQUAL linux)
    message(FATAL_ERROR "${name} differs between Windows and Linux beyond the line ends")
  endif()
  message(STATUS "${name}: ${lines} lines, the same on both")
endforeach()
