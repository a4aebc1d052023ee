# Builds the library and the tool (Release, without tests), installs them
# into a fresh prefix, then builds examples/consumer against that prefix
# through find_package and through pkg-config (when it is there), with each
# of g++ and clang++ that is installed, and once more with the library as a
# subdirectory of the consumer's own build; then checks what each consumer
# prints, and that the installed headers are all under include/voromel/.
#   cmake -D SOURCE_DIR=... -D WORK_DIR=... -D CXX=... -D GENERATOR=... -D VERSION=...
#     -P install_and_consume.cmake
cmake_minimum_required(VERSION 3.25)

set(build ${WORK_DIR}/build)
set(prefix ${WORK_DIR}/prefix)
set(consumer ${WORK_DIR}/consumer)
# The builds are kept between runs; what is installed and built on them is not.
file(REMOVE_RECURSE ${prefix} ${consumer}/cmake-g++ ${consumer}/cmake-clang++ ${consumer}/bin)
file(MAKE_DIRECTORY ${consumer}/bin)
set(warnings -Wall -Wextra -Wpedantic -Wshadow -Werror)
string(JOIN " " flags ${warnings})

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed (${status}): ${ARGN}\n${out}")
  endif()
endfunction()

run(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${build} -G ${GENERATOR}
  -D CMAKE_BUILD_TYPE=Release -D BUILD_TESTING=OFF -D CMAKE_CXX_COMPILER=${CXX})
run(${CMAKE_COMMAND} --build ${build} -j 2)
run(${CMAKE_COMMAND} --install ${build} --prefix ${prefix})

# The installed manual pages, compressed, carry the project's version in
# their heading.
find_program(GZIP gzip REQUIRED)
file(GLOB pages ${prefix}/share/man/man*/*)
list(LENGTH pages page_count)
if(page_count LESS 2)
  message(FATAL_ERROR "expected voromel(1) and voromel-track(5) in ${prefix}/share/man: ${pages}")
endif()
foreach(page IN LISTS pages)
  if(NOT page MATCHES "[.]gz$")
    message(FATAL_ERROR "manual page not compressed: ${page}")
  endif()
  execute_process(COMMAND ${GZIP} -dc ${page} OUTPUT_VARIABLE text RESULT_VARIABLE status)
  string(REGEX MATCH "^\\.TH [^\n]*" heading "${text}")
  if(NOT status EQUAL 0 OR NOT heading MATCHES " \"voromel ${VERSION}\" ")
    message(FATAL_ERROR "${page}: the heading '${heading}' does not carry voromel ${VERSION}")
  endif()
  message(STATUS "${page}: ${heading}")
endforeach()

# Only voromel/ under include/, and nothing but headers in it.
file(GLOB top RELATIVE ${prefix}/include ${prefix}/include/*)
file(GLOB_RECURSE headers RELATIVE ${prefix}/include ${prefix}/include/*)
list(FILTER headers EXCLUDE REGEX "^voromel/.*\\.h$")
if(NOT top STREQUAL "voromel" OR headers)
  message(FATAL_ERROR "installed beside include/voromel/*.h: ${top} ${headers}")
endif()

# The installed headers are the model and the interface: no grammar, writer,
# memo or error type of the library's own reading shows through, and every
# name is in namespace voromel (the values of songs in voromel::song).
file(GLOB_RECURSE installed ${prefix}/include/*.h)
foreach(header IN LISTS installed)
  file(STRINGS ${header} internals
    REGEX "ParseError|MetaError|EqualRatioBudget|WriteMemo|try_parse_into|parse_with|Section::|Outline|header_format|multisong")
  if(internals)
    message(FATAL_ERROR "${header} shows the library's internals: ${internals}")
  endif()
endforeach()

find_program(PKG_CONFIG pkg-config)
file(GLOB_RECURSE pc_file ${prefix}/voromel.pc)
get_filename_component(pc_directory "${pc_file}" DIRECTORY)
set(ENV{PKG_CONFIG_PATH} ${pc_directory})
if(PKG_CONFIG)
  execute_process(COMMAND ${PKG_CONFIG} --cflags --libs voromel
    RESULT_VARIABLE status OUTPUT_VARIABLE pc_flags OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "pkg-config does not find voromel in ${pc_directory}")
  endif()
  separate_arguments(pc_flags UNIX_COMMAND "${pc_flags}")
else()
  message(STATUS "pkg-config is not installed: its file is not checked")
endif()

set(programs)
foreach(name g++ clang++)
  find_program(compiler_${name} ${name})
  set(compiler ${compiler_${name}})
  if(NOT compiler)
    message(STATUS "${name} is not installed: not built with it")
    continue()
  endif()
  run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/examples/consumer -B ${consumer}/cmake-${name}
    -G ${GENERATOR} -D CMAKE_BUILD_TYPE=Release -D CMAKE_CXX_COMPILER=${compiler}
    -D CMAKE_PREFIX_PATH=${prefix} "-DCMAKE_CXX_FLAGS=${flags}")
  run(${CMAKE_COMMAND} --build ${consumer}/cmake-${name})
  list(APPEND programs ${consumer}/cmake-${name}/set_tempo)
  if(PKG_CONFIG)
    # The pkg-config file's flags, with the headers as ordinary ones so that
    # warnings in them count.
    run(${compiler} -std=c++20 -O2 ${warnings} ${SOURCE_DIR}/examples/consumer/main.cc
      ${pc_flags} -o ${consumer}/bin/set_tempo_pc_${name})
    list(APPEND programs ${consumer}/bin/set_tempo_pc_${name})
  endif()
  set(last_compiler ${compiler})
endforeach()

# The sources as a subdirectory, built with the last compiler found (clang++
# where it is installed, so that both compilers build the library), without
# optimisation, which is quicker.
run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/examples/consumer -B ${consumer}/subdirectory
  -G ${GENERATOR} -D CMAKE_BUILD_TYPE=Debug -D CMAKE_CXX_COMPILER=${last_compiler}
  -D VOROMEL_SOURCE_DIR=${SOURCE_DIR} "-DCMAKE_CXX_FLAGS=${flags}")
run(${CMAKE_COMMAND} --build ${consumer}/subdirectory -j 2)
list(APPEND programs ${consumer}/subdirectory/set_tempo)

set(expected "# Meta

@title Demo

# Songs

## main
@tempo 90
@layer bass

# Layers

## bass
@volume 0.8
bass 0 36 1

# Sounds

## bass
sine 1
@attack 0.01
")
foreach(program IN LISTS programs)
  execute_process(COMMAND ${program} ${SOURCE_DIR}/examples/demo.track main 90
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0 OR NOT out STREQUAL expected OR NOT err STREQUAL "")
    message(FATAL_ERROR "${program} exited with ${status}\nstdout:\n${out}\nstderr:\n${err}")
  endif()
endforeach()
message(STATUS "installed into ${prefix}; consumers built and run: ${programs}")
