# Install rules and the packages. On Linux: the executables into bin, the
# manual pages into share/man/man1, the README, the example option files and
# the examples of contrib/ (zelmot-watch's systemd unit and Prometheus scrape
# configuration) into the documentation folder, the Wireshark dissector into
# Wireshark's global Lua plugin folder (ZELMOT_WIRESHARK_PLUGIN_DIR: on
# Debian lib/<multiarch>/wireshark/plugins, the folder `tshark -G folders`
# names "Global Lua Plugins", read by Wireshark and tshark at start-up);
# zelmot-watch, when it is built, with its unit in lib/systemd/system.
# `cmake --install build --prefix DIR` installs them and `cpack` in the build
# folder builds zelmot2txt_<version>_<arch>.deb. For Windows (the cross
# build): one folder as the ZIP unpacks it, the programs at its top, the
# example capture and option files and the Prometheus example in examples\,
# the manual pages as text and HTML and the README in doc\, the Wireshark
# dissector in wireshark\; `cpack` builds zelmot2txt-<version>-win64.zip.
include(GNUInstallDirs)

# Debian's Wireshark reads Lua plugins from /usr/lib/<multiarch>/wireshark/plugins
# only (never from share/): the folder relative to the prefix.
if(CMAKE_LIBRARY_ARCHITECTURE)
  set(zelmot_lua_plugin_dir lib/${CMAKE_LIBRARY_ARCHITECTURE}/wireshark/plugins)
else()
  set(zelmot_lua_plugin_dir ${CMAKE_INSTALL_LIBDIR}/wireshark/plugins)
endif()
set(ZELMOT_WIRESHARK_PLUGIN_DIR ${zelmot_lua_plugin_dir} CACHE STRING
    "Wireshark's global Lua plugin folder, relative to the install prefix")
set(zelmot_contrib_examples ${CMAKE_CURRENT_SOURCE_DIR}/contrib/systemd/zelmot-watch@.service
                            ${CMAKE_CURRENT_SOURCE_DIR}/contrib/prometheus/zelmot-watch.yml
                            ${CMAKE_CURRENT_SOURCE_DIR}/contrib/prometheus/zelmot-watch-rules.yml)

file(GLOB example_options CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/examples/*.opt)
set(programs zelmot2txt zelmot2pcap zelmot-stats)
if(TARGET zelmot-gen)
  list(APPEND programs zelmot-gen)
endif()
# zelmot-watch comes with its parts assembled (src/watch); its manual page
# (man/zelmot-watch.1) and unit go with it.
if(TARGET zelmot-watch)
  list(APPEND programs zelmot-watch)
endif()
set(manual_pages ${programs})  # man/<program>.1

if(WIN32)
  install(TARGETS ${programs} RUNTIME DESTINATION .)
  file(GLOB example_captures CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/examples/*.Zelmot)
  install(FILES ${example_captures} ${example_options} DESTINATION examples)
  install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/contrib/prometheus/zelmot-watch.yml
                ${CMAKE_CURRENT_SOURCE_DIR}/contrib/prometheus/zelmot-watch-rules.yml DESTINATION examples)
  install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/README.md DESTINATION doc)
  file(GLOB dissectors CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/contrib/wireshark/*.lua)
  if(dissectors)
    install(FILES ${dissectors} DESTINATION wireshark)
  endif()
  # The manual pages rendered on the build machine: plain text with CR LF
  # line ends, and HTML where groff has its html device.
  find_program(ZELMOT_GROFF groff REQUIRED)
  execute_process(COMMAND ${ZELMOT_GROFF} -man -Thtml INPUT_FILE ${CMAKE_CURRENT_SOURCE_DIR}/man/zelmot2txt.1
                  RESULT_VARIABLE html_status OUTPUT_QUIET ERROR_QUIET)
  set(formats txt)
  if(html_status EQUAL 0)
    list(APPEND formats html)
  else()
    message(STATUS "groff has no html device: the manual pages go into the package as text only")
  endif()
  set(rendered)
  foreach(page IN LISTS manual_pages)
    foreach(format IN LISTS formats)
      set(out ${CMAKE_BINARY_DIR}/manual/${page}.${format})
      add_custom_command(OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -DGROFF=${ZELMOT_GROFF} -DFORMAT=${format}
                -DINPUT=${CMAKE_CURRENT_SOURCE_DIR}/man/${page}.1 -DOUTPUT=${out}
                -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/RenderManual.cmake
        DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/man/${page}.1 ${CMAKE_CURRENT_SOURCE_DIR}/cmake/RenderManual.cmake
        VERBATIM)
      list(APPEND rendered ${out})
    endforeach()
  endforeach()
  add_custom_target(zelmot_manuals ALL DEPENDS ${rendered})
  install(FILES ${rendered} DESTINATION doc)

  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME zelmot2txt-${PROJECT_VERSION}-win64)
else()
  install(TARGETS ${programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  foreach(page IN LISTS manual_pages)
    install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/man/${page}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()
  install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/contrib/wireshark/pbfdl.lua DESTINATION ${ZELMOT_WIRESHARK_PLUGIN_DIR})
  install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
  install(FILES ${example_options} ${zelmot_contrib_examples} DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
  if(TARGET zelmot-watch)
    install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/contrib/systemd/zelmot-watch@.service DESTINATION lib/systemd/system)
  endif()
  set(CPACK_GENERATOR DEB)
endif()

set(CPACK_PACKAGE_NAME zelmot2txt)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "zelmot2txt developers")
set(CPACK_PACKAGE_CONTACT "zelmot2txt developers <zelmot2txt@example.org>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "zelmot2txt developers <zelmot2txt@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert recorded PROFIBUS capture files into readable text")
set(CPACK_PACKAGE_DESCRIPTION "zelmot2txt reads a run of per-minute PROFIBUS capture files (.Zelmot) as one
record stream, finds the record boundaries again after damage, decodes every
frame at the FDL layer and writes one aligned line of text per frame. An
option file chooses the columns (times, gap graphs, addresses, frame control,
SAPs, data) and a filter equation selects the frames. zelmot-stats prints a
bus health report (live list, errors, token rotation, response times, gaps)
as text, JSON or CSV. zelmot2pcap exports the frames as pcapng or pcap files
for Wireshark and tcpdump, with a Lua dissector for Wireshark. zelmot-gen
writes synthetic captures for trying it out. The Wireshark dissector is
installed where Wireshark loads it at start-up.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
find_program(ZELMOT_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(ZELMOT_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
endif()
include(CPack)

# The install and package check. It installs and packages into folders of
# its own, so it may run beside the other tests; sanitizer builds are left
# out (their executables need the sanitizer runtime and are not shipped).
# The Windows ZIP has a check of its own, a CMake script run on the build
# machine (the Debian package check needs bash and dpkg).
if(ZELMOT_TESTS AND WIN32)
  add_test(NAME packaging_zip
           COMMAND ${CMAKE_COMMAND} -DBUILD=${CMAKE_BINARY_DIR} -DCPACK=${CMAKE_CPACK_COMMAND}
                   -DVERSION=${PROJECT_VERSION} "-DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}"
                   -P ${CMAKE_CURRENT_SOURCE_DIR}/tests/packaging/zip_test.cmake)
  set_tests_properties(packaging_zip PROPERTIES TIMEOUT 120)
elseif(ZELMOT_TESTS AND NOT ZELMOT_SANITIZE)
  add_test(NAME packaging_install
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/packaging/install_test.sh
                   ${CMAKE_BINARY_DIR} ${CMAKE_COMMAND} ${CMAKE_CPACK_COMMAND} ${PROJECT_VERSION}
                   ${ZELMOT_WIRESHARK_PLUGIN_DIR})
  set_tests_properties(packaging_install PROPERTIES TIMEOUT 300)
endif()
