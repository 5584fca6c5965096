# 32-bit x86 Windows, MinGW-w64 gcc: where the __stdcall of every COM method is part of the ABI.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(QP_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
