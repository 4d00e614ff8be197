# Cross build for 64-bit Windows with Debian's MinGW-w64 compiler (the
# posix-threads variant, which GoogleTest needs). libgcc and libstdc++ are
# linked statically, so each .exe runs on its own. Tests run under wine:
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#   cmake --build build-win && ctest --test-dir build-win
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZELMOT_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZELMOT_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZELMOT_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ZELMOT_MINGW_PREFIX}-windres)

# Libraries and headers of the target only; programs of the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${ZELMOT_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")

# ctest (and the listing of a test program's tests) run the .exe files under
# wine, through a script that starts a program again when wine failed to
# start it at all.
find_program(ZELMOT_WINE NAMES wine wine64)
if(ZELMOT_WINE)
  get_filename_component(ZELMOT_WINE_RUN ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine_run.sh ABSOLUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZELMOT_WINE_RUN})
endif()
# Wine shows the build machine's file system as drive Z:, so a path the build
# hands to a Windows program at run time gets that drive in front.
set(ZELMOT_RUN_PATH_PREFIX "Z:")
