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

# What every link adds to Zig's runtime (cmake/zig/build-runtime.sh says why), built once per
# build tree; the compiler checks that CMake runs in projects of their own use the same.
if(NOT QP_ZIG_RUNTIME)
  set(QP_ZIG_RUNTIME ${CMAKE_BINARY_DIR}/zig-runtime CACHE PATH "Link-time additions to Zig's runtime")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QP_ZIG_RUNTIME)
if(NOT EXISTS ${QP_ZIG_RUNTIME}/libqpunwind.a OR NOT EXISTS ${QP_ZIG_RUNTIME}/municode.obj)
  execute_process(COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/zig/build-runtime.sh ${QP_ZIG} ${QP_ZIG_RUNTIME}
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake/zig/build-runtime.sh failed")
  endif()
endif()

# CMake wants one program per tool: one small script per zig subcommand, beside the build. The
# compilers' scripts, when they link, put the hidden-symbol unwinder first and turn -municode
# into the object that means it.
set(QP_ZIG_TOOLS ${CMAKE_BINARY_DIR}/zig-tools)
set(QP_ZIG_LINK_WRAPPER [=[#!/bin/sh
link=yes
unicode=no
for arg; do
  shift
  case $arg in
    -c|-E|-S) link=no ;;
    -municode) unicode=yes; continue ;;
  esac
  set -- "$@" "$arg"
done
if [ $link = yes ]; then
  [ $unicode = no ] || set -- "@QP_ZIG_RUNTIME@/municode.obj" "$@"
  set -- "@QP_ZIG_RUNTIME@/libqpunwind.a" "$@"
fi
exec "@QP_ZIG@" @tool@ -target aarch64-windows-gnu "$@"
]=])
foreach(tool cc c++)
  string(CONFIGURE "${QP_ZIG_LINK_WRAPPER}" content @ONLY)
  file(CONFIGURE OUTPUT ${QP_ZIG_TOOLS}/zig-${tool} CONTENT "${content}" @ONLY)
endforeach()
foreach(tool ar ranlib rc)
  file(CONFIGURE OUTPUT ${QP_ZIG_TOOLS}/zig-${tool} CONTENT "#!/bin/sh\nexec \"${QP_ZIG}\" ${tool} \"$@\"\n" @ONLY)
endforeach()
foreach(tool cc c++ ar ranlib rc)
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
