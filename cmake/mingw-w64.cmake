# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix).
#
#   cmake --preset windows      (CMakePresets.json: build-windows with this file)
#
# The posix thread model is named explicitly: with it the C++ thread library is complete
# (std::thread, std::mutex, std::this_thread), and whichever variant the machine's alternatives
# point at does not matter. Executables are linked
# statically, C and C++ runtimes included, so they run on Windows or Wine without MinGW's DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PERNADAS_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${PERNADAS_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PERNADAS_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${PERNADAS_MINGW_TRIPLE}-windres)

# Headers and libraries come from the MinGW tree only; programs run during the build from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${PERNADAS_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

