# Shared part of the MinGW-w64 toolchains; the including file sets TERRITORY_MINGW_TRIPLE.
# The -posix compilers: GoogleTest needs std::mutex, which the win32 thread model lacks.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${TERRITORY_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TERRITORY_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TERRITORY_MINGW_TRIPLE}-windres)

# Look for libraries, headers and packages only in the MinGW tree: the native GoogleTest in
# /usr must not be found; tests/CMakeLists.txt then builds it from /usr/src/googletest.
set(CMAKE_FIND_ROOT_PATH /usr/${TERRITORY_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every executable imports only system DLLs, so it runs under Wine (and on Windows) with
# nothing beside it: without -static, the posix variant leaves libwinpthread-1.dll behind.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# ctest and custom commands run the .exe files through Wine.
get_filename_component(_territory_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${_territory_root}/scripts/wine-run")

# The shipped program is small: optimise for size and let the linker drop unused functions.
set(CMAKE_CXX_FLAGS_RELEASE "-Os -DNDEBUG -ffunction-sections -fdata-sections" CACHE STRING "")
set(CMAKE_C_FLAGS_RELEASE "-Os -DNDEBUG -ffunction-sections -fdata-sections" CACHE STRING "")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-Wl,--gc-sections")
