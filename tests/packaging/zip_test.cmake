# The Windows package check (cmake -P, run on the build machine):
#   -DBUILD=<build dir> -DCPACK=<cpack> -DVERSION=<version> [-DEMULATOR=<wine>]
# Builds the ZIP into a folder of its own, checks the files it holds, unpacks
# it, compares the dissector with the source's and runs the unpacked
# programs (under EMULATOR when given): OptHelp ends with status 1 and
# prints the banner with the version, zelmot-gen --help with status 0.
cmake_minimum_required(VERSION 3.25)
string(RANDOM LENGTH 8 tag)
set(work ${BUILD}/packaging-zip-${tag})
file(REMOVE_RECURSE ${work})

function(fail text)
  file(REMOVE_RECURSE ${work})
  message(FATAL_ERROR "FAIL: ${text}")
endfunction()

execute_process(COMMAND ${CPACK} --config ${BUILD}/CPackConfig.cmake -B ${work}/package
                RESULT_VARIABLE status OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT status EQUAL 0)
  fail("cpack: ${log}")
endif()
file(GLOB zips ${work}/package/*.zip)
list(LENGTH zips count)
if(NOT count EQUAL 1)
  fail("expected one .zip, found: ${zips}")
endif()
set(top zelmot2txt-${VERSION}-win64)
get_filename_component(name ${zips} NAME)
if(NOT name STREQUAL "${top}.zip")
  fail("package name ${name}, expected ${top}.zip")
endif()
message(STATUS "package: ${name}")

execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${zips} OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  fail("cannot list ${name}")
endif()
message(STATUS "contents:\n${listing}")
string(REPLACE "\n" ";" entries "${listing}")
foreach(file zelmot2txt.exe zelmot2pcap.exe zelmot-stats.exe zelmot-gen.exe wireshark/pbfdl.lua
             examples/demo1200.Zelmot examples/demo1202.Zelmot examples/full.opt examples/zelmot-watch.yml
             doc/README.md doc/zelmot2txt.txt doc/zelmot2pcap.txt doc/zelmot-stats.txt doc/zelmot-gen.txt)
  if(NOT "${top}/${file}" IN_LIST entries)
    fail("${file} not in the package")
  endif()
endforeach()

file(MAKE_DIRECTORY ${work}/unpacked)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${zips} WORKING_DIRECTORY ${work}/unpacked RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  fail("cannot unpack ${name}")
endif()
# The dissector as the sources have it (the DP layer included), byte for byte.
file(SHA256 ${work}/unpacked/${top}/wireshark/pbfdl.lua packed_dissector)
file(SHA256 ${CMAKE_CURRENT_LIST_DIR}/../../contrib/wireshark/pbfdl.lua source_dissector)
if(NOT packed_dissector STREQUAL source_dissector)
  fail("wireshark/pbfdl.lua in the package differs from contrib/wireshark/pbfdl.lua")
endif()
file(READ ${work}/unpacked/${top}/doc/zelmot2txt.txt manual)
string(ASCII 8 backspace)
string(ASCII 27 escape)
string(FIND "${manual}" "${backspace}" at_backspace)
string(FIND "${manual}" "${escape}" at_escape)
# file(READ) drops carriage returns; the bytes, as hex, keep them.
file(READ ${work}/unpacked/${top}/doc/zelmot2txt.txt manual_hex HEX)
string(FIND "${manual_hex}" "0d0a53594e4f505349530d0a" at_synopsis)  # CR LF "SYNOPSIS" CR LF
if(at_synopsis EQUAL -1 OR NOT at_backspace EQUAL -1 OR NOT at_escape EQUAL -1)
  fail("doc/zelmot2txt.txt is no plain text with CR LF line ends")
endif()

execute_process(COMMAND ${EMULATOR} ${work}/unpacked/${top}/zelmot2txt.exe OptHelp
                RESULT_VARIABLE status OUTPUT_VARIABLE text ERROR_VARIABLE text)
if(NOT status EQUAL 1 OR NOT text MATCHES "^;[^\n]*v${VERSION}")
  fail("zelmot2txt.exe OptHelp: exit status ${status}, output:\n${text}")
endif()
execute_process(COMMAND ${EMULATOR} ${work}/unpacked/${top}/zelmot-gen.exe --help
                RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
if(NOT status EQUAL 0)
  fail("zelmot-gen.exe --help: exit status ${status}")
endif()
file(REMOVE_RECURSE ${work})
message(STATUS "package unpacked and run: ok")
