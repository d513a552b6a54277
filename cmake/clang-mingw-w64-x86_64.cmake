# Cross build for 64-bit Windows with Clang for the MinGW-w64 target: the
# MinGW-w64 headers and libraries, GCC's libstdc++ of the posix-thread
# variant, lld, and llvm-rc (through its windres-compatible front end), which
# reads resource scripts in the Windows resource compiler's dialect. Run
# under Wine like the MinGW-w64 build.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER clang)
set(CMAKE_C_COMPILER_TARGET ${triple})
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET ${triple})
find_program(CMAKE_RC_COMPILER NAMES llvm-windres llvm-windres-14 REQUIRED)
set(CMAKE_RC_FLAGS_INIT --target=${triple})

set(CMAKE_SYSROOT /usr/${triple})
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Clang finds no GCC of the posix variant by itself: its libstdc++ headers
# and runtime libraries are named here.
file(GLOB gcc_dirs /usr/lib/gcc/${triple}/*-posix)
list(GET gcc_dirs -1 gcc_dir)
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES ${gcc_dir}/include/c++
    ${gcc_dir}/include/c++/${triple} ${gcc_dir}/include/c++/backward)
# A static runtime: the programs need no DLL beyond the system's. libstdc++
# of the posix variant needs winpthreads, which GCC's driver adds by itself;
# lld finds archive members wherever the archive stands on the line.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -fuse-ld=lld -L${gcc_dir} -lpthread")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -fuse-ld=lld -L${gcc_dir} -lpthread")

set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/wine-run.sh")
