# Cross-compiling for Windows with the mingw-w64 posix-thread compilers.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(GANTRY_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${GANTRY_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${GANTRY_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${GANTRY_TRIPLE}-windres)
set(CMAKE_DLLTOOL ${GANTRY_TRIPLE}-dlltool)
set(CMAKE_NM ${GANTRY_TRIPLE}-nm)

set(CMAKE_FIND_ROOT_PATH /usr/${GANTRY_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The runtime is linked statically so the .exe runs alone on a bare Windows.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests run under Wine through our wrapper, which owns the prefix and the display.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-test)
