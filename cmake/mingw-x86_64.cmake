# Cross toolchain for a 64-bit build of the same programs and tests. The product is the
# 32-bit build (mingw-i686.cmake); this one exists for machines whose kernel runs no
# 32-bit code, where Wine can still run 64-bit programs, so that the Win32 code is tested
# there too.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KF_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${KF_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KF_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${KF_MINGW_TRIPLET}-windres)
set(KF_STUB_C_COMPILER   /usr/bin/${KF_MINGW_TRIPLET}-gcc-win32)
set(KF_STUB_CXX_COMPILER /usr/bin/${KF_MINGW_TRIPLET}-g++-win32)

set(CMAKE_FIND_ROOT_PATH /usr/${KF_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests and build-time helpers run under the 64-bit Wine (scripts/wine-env.sh).
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine64/wine-run")
