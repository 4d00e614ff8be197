# Install rules and the Debian package: the two executables into bin, the
# manual pages into share/man/man1, the README and the example option files
# into the documentation folder. `cmake --install build --prefix DIR` installs
# them; `cpack` in the build folder builds zelmot2txt_<version>_<arch>.deb.
include(GNUInstallDirs)

install(TARGETS zelmot2txt RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/man/zelmot2txt.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
if(TARGET zelmot-gen)
  install(TARGETS zelmot-gen RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/man/zelmot-gen.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

file(GLOB example_options CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/examples/*.opt)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
if(example_options)
  install(FILES ${example_options} DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
endif()

set(CPACK_GENERATOR DEB)
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
SAPs, data) and a filter equation selects the frames. zelmot-gen writes
synthetic captures for trying it out.")
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
if(ZELMOT_TESTS AND NOT ZELMOT_SANITIZE AND NOT WIN32)
  add_test(NAME packaging_install
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/packaging/install_test.sh
                   ${CMAKE_BINARY_DIR} ${CMAKE_COMMAND} ${CMAKE_CPACK_COMMAND} ${PROJECT_VERSION})
  set_tests_properties(packaging_install PROPERTIES TIMEOUT 120)
endif()
