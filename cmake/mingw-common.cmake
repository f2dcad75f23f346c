# What both MinGW-w64 toolchain files share; they set KF_MINGW_TRIPLET and
# CMAKE_SYSTEM_PROCESSOR first. The -posix variants give std::thread/std::mutex;
# everything is linked statically so the setup executables and the builder run on a
# bare Windows without extra DLLs. The stubs start no thread: they use the -win32
# variants of the same GCC (KfStub.cmake).

set(CMAKE_SYSTEM_NAME Windows)

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
