# Warnings every target of the project is built with. -Wconversion is on: the
# interface mixes 16- and 32-bit integers, and silent narrowing there is a bug.
function(tamrel_set_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wnon-virtual-dtor -Woverloaded-virtual)
  if(TAMREL_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
