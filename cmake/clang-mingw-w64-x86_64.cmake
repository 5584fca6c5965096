# 64-bit Windows, clang 14 and lld over MinGW-w64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QP_MINGW_TRIPLE x86_64-w64-mingw32)
set(QP_MINGW_CLANG ON)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
