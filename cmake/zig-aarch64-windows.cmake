# 64-bit ARM Windows, cross-built with Zig's clang and lld for aarch64-windows-gnu: MinGW-w64's
# headers, C runtime and import libraries, with libc++ and libunwind, all carried by the Zig
# package that scripts/zig.sh installs. Zig compiles the C++ runtime for the target on first use
# and keeps it in its own cache.
#
# The zig to use: -DQP_ZIG=PATH, else $QP_ZIG, else the one scripts/zig.sh installed, else zig
# on PATH.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ARM64)

if(NOT QP_ZIG AND DEFINED ENV{QP_ZIG})
  set(QP_ZIG $ENV{QP_ZIG})
endif()
if(NOT QP_ZIG)
  execute_process(COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/../scripts/zig.sh --installed
                  OUTPUT_VARIABLE QP_ZIG OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
if(NOT QP_ZIG)
  find_program(QP_ZIG zig)
endif()
if(NOT QP_ZIG OR NOT EXISTS "${QP_ZIG}")
  message(FATAL_ERROR "No Zig toolchain: run scripts/zig.sh (it installs the pinned version) or pass -DQP_ZIG=PATH")
endif()
# Remembered in the cache, and handed to the compiler checks that CMake runs in projects of their own.
set(QP_ZIG "${QP_ZIG}" CACHE FILEPATH "The zig program that compiles and links for aarch64-windows-gnu")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QP_ZIG)

# CMake wants one program per tool: one small script per zig subcommand, beside the build.
set(QP_ZIG_TOOLS ${CMAKE_BINARY_DIR}/zig-tools)
foreach(tool cc c++ ar ranlib rc)
  set(target_flag "")
  if(tool STREQUAL "cc" OR tool STREQUAL "c++")
    set(target_flag " -target aarch64-windows-gnu")
  endif()
  file(CONFIGURE OUTPUT ${QP_ZIG_TOOLS}/zig-${tool}
       CONTENT "#!/bin/sh\nexec \"${QP_ZIG}\" ${tool}${target_flag} \"$@\"\n" @ONLY)
  file(CHMOD ${QP_ZIG_TOOLS}/zig-${tool} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endforeach()
set(CMAKE_C_COMPILER ${QP_ZIG_TOOLS}/zig-cc)
set(CMAKE_CXX_COMPILER ${QP_ZIG_TOOLS}/zig-c++)
set(CMAKE_AR ${QP_ZIG_TOOLS}/zig-ar)
set(CMAKE_RANLIB ${QP_ZIG_TOOLS}/zig-ranlib)
set(CMAKE_RC_COMPILER ${QP_ZIG_TOOLS}/zig-rc)

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
