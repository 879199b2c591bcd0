# Cross build for 64-bit Windows with mingw-w64 (posix threads), the test
# programs run under Wine:
#   cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# The C++ and GCC run-times (libstdc++, libgcc, winpthread) are linked
# statically into every program and into tamrel.dll (BUILD_SHARED_LIBS=ON),
# so that neither needs a DLL of the compiler beside it; the C run-time is
# Windows' own (msvcrt.dll).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TAMREL_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TAMREL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAMREL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TAMREL_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TAMREL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Packages also from CMAKE_PREFIX_PATH, such as a tamrel installed for Windows.
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest runs the Windows programs under Wine.
find_program(TAMREL_WINE NAMES wine64 wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TAMREL_WINE})
