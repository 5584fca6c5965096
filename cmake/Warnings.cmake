# Warnings as errors for our own code only: third-party and SDK headers come in as system headers.
add_library(qp_warnings INTERFACE)
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  target_compile_options(qp_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Werror
    -Wshadow -Wcast-align -Woverloaded-virtual -Wnull-dereference
    -Wimplicit-fallthrough -Wformat=2 -Wundef)
elseif(MSVC)
  target_compile_options(qp_warnings INTERFACE /W4 /WX /permissive-)
endif()
