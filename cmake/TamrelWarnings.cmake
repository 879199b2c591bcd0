# Warnings every target of the project is built with. -Wconversion is on: the
# interface mixes 16- and 32-bit integers, and silent narrowing there is a bug.
function(tamrel_set_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wnon-virtual-dtor -Woverloaded-virtual)
  # GCC 12 at -O3 reports overlaps that cannot happen inside std::string's
  # operator+ (GCC bug 105329); the warning finds nothing real there.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
  if(TAMREL_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
