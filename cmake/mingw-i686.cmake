# Cross build for i686 Windows with MinGW-w64. The -posix compilers are the
# ones with std::thread and std::mutex (GoogleTest needs them).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(HEFT_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER   ${HEFT_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${HEFT_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${HEFT_MINGW_TRIPLE}-windres)
# Doubles computed as doubles, in SSE2 registers as the 64-bit program does:
# the x87 default keeps 80 bits between steps, so a product that is a whole
# number in double precision (150 * 0.6) can land just below it and cut a
# pixel off wherever a result is truncated.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")

set(CMAKE_FIND_ROOT_PATH /usr/${HEFT_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
