# What both mingw-w64 toolchains share; the including file sets
# PYXET_MINGW_TRIPLE and CMAKE_SYSTEM_PROCESSOR. The -posix compilers: the
# -win32 ones of GCC 12 lack the threading pieces GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${PYXET_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PYXET_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${PYXET_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${PYXET_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
