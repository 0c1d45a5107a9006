# Our own targets build with every warning as an error; third-party headers are included as system headers.
function(zentomi_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror -Wshadow)
  # GCC 12 optimising fully reports overlapping copies inside std::string's own "literal" + string
  # (its bug 105329); the release build would fail on it. Still shown, no longer fatal there.
  # Optimised builds only: clang-tidy reads the debug build's flags and knows no such option.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE $<$<CONFIG:Release>:-Wno-error=restrict>)
  endif()
endfunction()

# One static library per subsystem: zentomi_library(name SOURCES ... DEPS ...)
function(zentomi_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  zentomi_warnings(${name})
endfunction()
