# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (the posix thread variant, which
# std::thread and std::mutex need). Libraries and CMake packages are looked up only in the
# compiler's own folder and in QUILLET_WINDOWS_PREFIX (GoogleTest and CLI11 built or staged for
# Windows by ./test-windows), never in the build machine's /usr. Test executables run under
# wine, which is how ctest and gtest_discover_tests reach them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# Try-compiles re-read this file; let them see the prefix as well.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUILLET_WINDOWS_PREFIX)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${QUILLET_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(QUILLET_WINE NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(QUILLET_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUILLET_WINE})
endif()
