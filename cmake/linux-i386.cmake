# The native build of the pure-logic tests as 32-bit x86 code (g++-multilib):
# the width the 32-bit Windows program has, where a 64-bit size kept in a
# size_t or a pointer-sized value is cut short. scripts/setup.sh makes sure
# such a program runs here, through user-mode emulation where the kernel
# refuses it.
# Floating point in SSE2 registers, as the 32-bit Windows program has it
# (cmake/mingw-i686.cmake), so that both compute what the 64-bit one does.
set(CMAKE_C_FLAGS_INIT "-m32 -msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-m32 -msse2 -mfpmath=sse")
set(CMAKE_EXE_LINKER_FLAGS_INIT -m32)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -m32)
set(CMAKE_MODULE_LINKER_FLAGS_INIT -m32)
