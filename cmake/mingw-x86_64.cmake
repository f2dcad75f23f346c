# Cross toolchain for a 64-bit build of the same programs and tests. The product is the
# 32-bit build (mingw-i686.cmake); this one exists for machines whose kernel runs no
# 32-bit code, where Wine can still run 64-bit programs, so that the Win32 code is tested
# there too.

set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KF_MINGW_TRIPLET x86_64-w64-mingw32)
include("${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake")

# Tests and build-time helpers run under the 64-bit Wine (scripts/wine64/).
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine64/wine-run")
