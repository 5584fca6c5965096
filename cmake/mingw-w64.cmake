# Cross-building for Windows with MinGW-w64, shared by the toolchain files beside it, each of
# which sets QP_MINGW_TRIPLE (x86_64-w64-mingw32 or i686-w64-mingw32) and, to compile with clang
# instead of gcc, QP_MINGW_CLANG.
#
# gcc: Debian's -posix compilers (g++-mingw-w64-*-posix), whose libstdc++ has std::thread and
# std::mutex. clang: clang 14 with lld, over the same MinGW-w64 headers, import libraries and
# -posix libstdc++. Everything the programs need is linked statically, so they import only
# Windows system DLLs.
set(CMAKE_SYSTEM_NAME Windows)

find_program(QP_MINGW_GXX NAMES ${QP_MINGW_TRIPLE}-g++-posix REQUIRED)
if(QP_MINGW_CLANG)
  find_program(CMAKE_C_COMPILER NAMES clang-14 clang REQUIRED)
  find_program(CMAKE_CXX_COMPILER NAMES clang++-14 clang++ REQUIRED)
  set(CMAKE_C_COMPILER_TARGET ${QP_MINGW_TRIPLE})
  set(CMAKE_CXX_COMPILER_TARGET ${QP_MINGW_TRIPLE})
  # clang finds MinGW-w64's own headers and libraries, but not the C++ library in Debian's
  # versioned gcc directory (".../12-posix"): ask the gcc of the same runtime where it is.
  execute_process(COMMAND ${QP_MINGW_GXX} -print-libgcc-file-name
                  OUTPUT_VARIABLE QP_MINGW_LIBGCC OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  get_filename_component(QP_MINGW_GCC_DIR ${QP_MINGW_LIBGCC} DIRECTORY)
  set(QP_MINGW_CXX_INCLUDE ${QP_MINGW_GCC_DIR}/include/c++)
  set(CMAKE_CXX_FLAGS_INIT
      "-isystem ${QP_MINGW_CXX_INCLUDE} -isystem ${QP_MINGW_CXX_INCLUDE}/${QP_MINGW_TRIPLE} -isystem ${QP_MINGW_CXX_INCLUDE}/backward")
  foreach(kind EXE SHARED MODULE)
    set(CMAKE_${kind}_LINKER_FLAGS_INIT "-fuse-ld=lld -L${QP_MINGW_GCC_DIR}")
  endforeach()
else()
  find_program(CMAKE_C_COMPILER NAMES ${QP_MINGW_TRIPLE}-gcc-posix REQUIRED)
  set(CMAKE_CXX_COMPILER ${QP_MINGW_GXX})
endif()
find_program(CMAKE_RC_COMPILER NAMES ${QP_MINGW_TRIPLE}-windres)
find_program(CMAKE_AR NAMES ${QP_MINGW_TRIPLE}-ar REQUIRED)
find_program(CMAKE_RANLIB NAMES ${QP_MINGW_TRIPLE}-ranlib REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${QP_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# 64-bit programs run under the host's Wine; 32-bit ones under 32-bit Wine in an i386 root
# through qemu (scripts/wine-x86.sh, which scripts/windows.sh sets up).
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  find_program(QP_WINE NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
  find_program(QP_WINE NAMES wine64 wine)
  if(QP_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${QP_WINE})
  endif()
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-x86.sh)
endif()
