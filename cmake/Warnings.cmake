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

# gcc 12 reports std::string's own inlined copies (`"literal" + std::string`) as overlapping at
# -O3 (GCC bug 105329): still shown, but not an error there.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
   AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(qp_warnings INTERFACE -Wno-error=restrict)
endif()
