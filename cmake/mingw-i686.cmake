# Cross toolchain for the product: 32-bit Windows programs built with Debian's MinGW-w64.

set(CMAKE_SYSTEM_PROCESSOR i686)
set(KF_MINGW_TRIPLET i686-w64-mingw32)
include("${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake")

# Tests and build-time helpers that are Windows programs run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run")
