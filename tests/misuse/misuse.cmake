# Compiles each misuse-*.cc beside this script against the library's
# headers and checks that it fails with the diagnostic its first line
# names ("// error: <regular expression>").
#   cmake -D CXX=... -D SOURCE_DIR=... -D INCLUDE_DIRS=a;b -P misuse.cmake
cmake_minimum_required(VERSION 3.25)

set(includes)
foreach(directory IN LISTS INCLUDE_DIRS)
  list(APPEND includes -I${directory})
endforeach()
file(GLOB sources ${CMAKE_CURRENT_LIST_DIR}/misuse-*.cc)
foreach(source IN LISTS sources)
  file(STRINGS ${source} first LIMIT_COUNT 1)
  string(REGEX REPLACE "^// error: " "" expected "${first}")
  execute_process(COMMAND ${CXX} -std=c++20 -fsyntax-only ${includes} ${source}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(status EQUAL 0)
    message(FATAL_ERROR "${source} compiles")
  endif()
  if(NOT out MATCHES "${expected}")
    message(FATAL_ERROR "${source} fails without '${expected}':\n${out}")
  endif()
  # What the caller reads names only the interface's own namespace.
  if(out MATCHES "header_format::|multisong::")
    message(FATAL_ERROR "${source}: the diagnostic names the library's inner namespaces:\n${out}")
  endif()
endforeach()
list(LENGTH sources count)
message(STATUS "${count} misuses do not compile")
