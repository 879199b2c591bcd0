# The public headers as a host meets them.
#
# Each header compiles on its own: one translation unit per header that
# includes nothing else, compiled with the tests (a header that leans on
# another's includes fails the build).
file(GLOB tamrel_public_headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/include/tamrel/*.hpp)
if(NOT TARGET tamrel_qt)
  list(FILTER tamrel_public_headers EXCLUDE REGEX "/qt(_watcher)?\\.hpp$")
endif()
set(tamrel_header_units)
foreach(header ${tamrel_public_headers})
  get_filename_component(name ${header} NAME_WE)
  set(unit ${CMAKE_CURRENT_BINARY_DIR}/headers/${name}_alone.cpp)
  file(CONFIGURE OUTPUT ${unit} CONTENT "#include \"tamrel/${name}.hpp\"\n")
  list(APPEND tamrel_header_units ${unit})
endforeach()
add_library(tamrel_header_check OBJECT ${tamrel_header_units})
target_include_directories(tamrel_header_check PRIVATE ${PROJECT_SOURCE_DIR}/include)
if(TARGET tamrel_qt)
  target_link_libraries(tamrel_header_check PRIVATE Qt6::Widgets)
endif()
tamrel_set_warnings(tamrel_header_check)

# A Windows host includes <windows.h> without NOMINMAX before the library's
# headers, or after them; both must build and run.
if(WIN32)
  foreach(order first last)
    set(target windows_h_${order})
    add_executable(${target} ${CMAKE_CURRENT_LIST_DIR}/windows_host.cpp)
    target_link_libraries(${target} PRIVATE tamrel)
    if(order STREQUAL "first")
      target_compile_definitions(${target} PRIVATE TAMREL_WINDOWS_H_FIRST)
    endif()
    tamrel_set_warnings(${target})
    add_test(NAME ${target} COMMAND ${target})
  endforeach()
endif()

# The README's whole programs (its C++ blocks with a main) build as they
# stand, against the library as a host links it. They are not run: a host
# example writes to the user's application folder.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/README.md)
file(READ ${PROJECT_SOURCE_DIR}/README.md tamrel_readme)
set(tamrel_fence "```")
set(tamrel_readme_programs 0)
while(TRUE)
  string(FIND "${tamrel_readme}" "${tamrel_fence}cpp\n" start)
  if(start EQUAL -1)
    break()
  endif()
  math(EXPR start "${start} + 7")
  string(SUBSTRING "${tamrel_readme}" ${start} -1 tamrel_readme)
  string(FIND "${tamrel_readme}" "${tamrel_fence}" end)
  string(SUBSTRING "${tamrel_readme}" 0 ${end} block)
  string(SUBSTRING "${tamrel_readme}" ${end} -1 tamrel_readme)
  if(block MATCHES "int main\\(")
    math(EXPR tamrel_readme_programs "${tamrel_readme_programs} + 1")
    set(program readme_program_${tamrel_readme_programs})
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/readme/${program}.cpp.new "${block}")
    configure_file(${CMAKE_CURRENT_BINARY_DIR}/readme/${program}.cpp.new
                   ${CMAKE_CURRENT_BINARY_DIR}/readme/${program}.cpp COPYONLY)
    add_executable(${program} ${CMAKE_CURRENT_BINARY_DIR}/readme/${program}.cpp)
    target_link_libraries(${program} PRIVATE tamrel)
    tamrel_set_warnings(${program})
  endif()
endwhile()
if(tamrel_readme_programs EQUAL 0)
  message(FATAL_ERROR "README.md: no whole C++ program found to build")
endif()
