# Turns an XPM picture into an SVG of one square per pixel, so rsvg-convert can write the
# hand-drawn small icons as PNGs pixel for pixel (no Debian tool reads XPM and writes PNG
# without pulling in a whole image suite).
# Usage: cmake -DXPM=in.xpm -DSVG=out.svg -P xpm-to-svg.cmake
cmake_minimum_required(VERSION 3.25)

if(NOT XPM OR NOT SVG)
  message(FATAL_ERROR "usage: cmake -DXPM=in.xpm -DSVG=out.svg -P xpm-to-svg.cmake")
endif()

# Every string in the C array is one row of the picture's header, colours or pixels.
file(STRINGS "${XPM}" lines REGEX "^\"")
set(rows "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^\"(.*)\",?$" "\\1" row "${line}")
  list(APPEND rows "${row}")
endforeach()

list(GET rows 0 header)
string(REGEX MATCH "^ *([0-9]+) +([0-9]+) +([0-9]+) +([0-9]+)" matched "${header}")
if(NOT matched)
  message(FATAL_ERROR "${XPM}: no XPM header")
endif()
set(width ${CMAKE_MATCH_1})
set(height ${CMAKE_MATCH_2})
set(colour_count ${CMAKE_MATCH_3})
set(chars_per_pixel ${CMAKE_MATCH_4})
list(LENGTH rows row_count)
math(EXPR expected "1 + ${colour_count} + ${height}")
if(NOT row_count EQUAL expected)
  message(FATAL_ERROR "${XPM}: ${row_count} strings, expected ${expected}")
endif()

# Pixel keys may be spaces, so each colour is kept under the key's hex spelling.
foreach(i RANGE 1 ${colour_count})
  list(GET rows ${i} entry)
  string(SUBSTRING "${entry}" 0 ${chars_per_pixel} key)
  string(SUBSTRING "${entry}" ${chars_per_pixel} -1 rest)
  if(NOT rest MATCHES "[ \t]c[ \t]+([^ \t]+)")
    message(FATAL_ERROR "${XPM}: colour ${i} has no colour visual")
  endif()
  string(HEX "${key}" key_hex)
  set(colour_${key_hex} "${CMAKE_MATCH_1}")
endforeach()

# Runs of one colour along a row become one rectangle, which keeps the file small.
set(body "")
math(EXPR last_y "${height} - 1")
foreach(y RANGE 0 ${last_y})
  math(EXPR index "1 + ${colour_count} + ${y}")
  list(GET rows ${index} row)
  string(LENGTH "${row}" row_length)
  math(EXPR expected "${width} * ${chars_per_pixel}")
  if(NOT row_length EQUAL expected)
    message(FATAL_ERROR "${XPM}: pixel row ${y} is ${row_length} characters, expected ${expected}")
  endif()
  set(run_colour "")
  set(run_start 0)
  # One step past the last pixel closes the row's final run.
  foreach(x RANGE 0 ${width})
    if(x EQUAL width)
      set(colour "None")
    else()
      math(EXPR offset "${x} * ${chars_per_pixel}")
      string(SUBSTRING "${row}" ${offset} ${chars_per_pixel} key)
      string(HEX "${key}" key_hex)
      if(NOT DEFINED colour_${key_hex})
        message(FATAL_ERROR "${XPM}: pixel (${x}, ${y}) uses an undefined colour")
      endif()
      set(colour "${colour_${key_hex}}")
    endif()
    if(NOT colour STREQUAL run_colour)
      if(run_colour AND NOT run_colour STREQUAL "None")
        math(EXPR run_width "${x} - ${run_start}")
        string(APPEND body "<rect x=\"${run_start}\" y=\"${y}\" width=\"${run_width}\" height=\"1\" fill=\"${run_colour}\"/>\n")
      endif()
      set(run_colour "${colour}")
      set(run_start ${x})
    endif()
  endforeach()
endforeach()

file(WRITE "${SVG}"
  "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"${width}\" height=\"${height}\" "
  "viewBox=\"0 0 ${width} ${height}\" shape-rendering=\"crispEdges\">\n"
  "${body}</svg>\n")
