# Header-only libraries of the build machine for a cross build (Windows).
# /usr/include itself must never be on a cross build's include path (its C
# library headers would shadow MinGW's), so each library's headers are linked
# into a folder of their own in the build tree, with a package
# configuration there that find_package uses: find_package(nlohmann_json 3)
# then works in the cross build as in the native one.
set(zelmot_cross_packages ${CMAKE_BINARY_DIR}/cross-packages)

# name: the package name; header_dir: the headers' folder under
# /usr/include; the three macro names that hold the version; then the
# headers (under header_dir) that may define them, the first is the main one.
function(zelmot_cross_header_package name header_dir major_macro minor_macro patch_macro)
  set(source /usr/include/${header_dir})
  set(headers ${ARGN})
  list(GET headers 0 main_header)
  if(NOT EXISTS ${source}/${main_header})
    return()
  endif()
  set(root ${zelmot_cross_packages}/${name})
  file(MAKE_DIRECTORY ${root}/include)
  file(CREATE_LINK ${source} ${root}/include/${header_dir} SYMBOLIC)
  set(lines)
  foreach(header IN LISTS headers)
    if(EXISTS ${source}/${header})
      file(STRINGS ${source}/${header} found REGEX "#define (${major_macro}|${minor_macro}|${patch_macro}) ")
      list(APPEND lines ${found})
    endif()
  endforeach()
  set(version)
  foreach(macro ${major_macro} ${minor_macro} ${patch_macro})
    string(REGEX MATCH "#define ${macro} ([0-9]+)" found "${lines}")
    list(APPEND version ${CMAKE_MATCH_1})
  endforeach()
  list(JOIN version . version)
  file(WRITE ${root}/${name}Config.cmake
"# Generated for the cross build: the headers of /usr/include/${header_dir} alone.
if(NOT TARGET ${name}::${name})
  add_library(${name}::${name} INTERFACE IMPORTED)
  set_target_properties(${name}::${name} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES \"${root}/include\")
endif()
")
  include(CMakePackageConfigHelpers)
  write_basic_package_version_file(${root}/${name}ConfigVersion.cmake VERSION ${version}
                                   COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
  set(${name}_DIR ${root} CACHE PATH "${name} headers for the cross build" FORCE)
endfunction()

zelmot_cross_header_package(nlohmann_json nlohmann
                            NLOHMANN_JSON_VERSION_MAJOR NLOHMANN_JSON_VERSION_MINOR NLOHMANN_JSON_VERSION_PATCH
                            json.hpp detail/abi_macros.hpp)

# cpp-httplib: Debian's /usr/include/httplib.h holds only the declarations
# (its code is in the shared library, which is no use to a cross build), so
# the whole single header comes from Debian's source package, unpacked into
# /usr/src/cpp-httplib by scripts/setup_tests.sh. On Windows it needs
# Winsock (ws2_32).
set(ZELMOT_HTTPLIB_SOURCE_DIR /usr/src/cpp-httplib CACHE PATH "cpp-httplib's single header for a cross build")
if(EXISTS ${ZELMOT_HTTPLIB_SOURCE_DIR}/httplib.h)
  set(root ${zelmot_cross_packages}/httplib)
  file(MAKE_DIRECTORY ${root}/include)
  file(CREATE_LINK ${ZELMOT_HTTPLIB_SOURCE_DIR}/httplib.h ${root}/include/httplib.h SYMBOLIC)
  file(STRINGS ${ZELMOT_HTTPLIB_SOURCE_DIR}/httplib.h version_line REGEX "#define CPPHTTPLIB_VERSION ")
  string(REGEX MATCH "[0-9]+\\.[0-9]+\\.[0-9]+" httplib_version "${version_line}")
  file(WRITE ${root}/httplibConfig.cmake
"# Generated for the cross build: cpp-httplib's single header.
if(NOT TARGET httplib::httplib)
  add_library(httplib::httplib INTERFACE IMPORTED)
  set_target_properties(httplib::httplib PROPERTIES INTERFACE_INCLUDE_DIRECTORIES \"${root}/include\"
                        INTERFACE_LINK_LIBRARIES ws2_32)
endif()
")
  include(CMakePackageConfigHelpers)
  write_basic_package_version_file(${root}/httplibConfigVersion.cmake VERSION ${httplib_version}
                                   COMPATIBILITY SameMinorVersion ARCH_INDEPENDENT)
  set(httplib_DIR ${root} CACHE PATH "cpp-httplib's header for the cross build" FORCE)
endif()
