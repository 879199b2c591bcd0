# A test program that runs the built tool gets its path; without the tool
# it is neither built nor run.
function(tamrel_test_runs_tool target test)
  if(NOT TARGET ${target})
    return()
  endif()
  if(TARGET tamrel_cli)
    target_compile_definitions(${target} PRIVATE TAMREL_TOOL_PATH="$<TARGET_FILE:tamrel_cli>")
    add_dependencies(${target} tamrel_cli)
  else()
    set_target_properties(${target} PROPERTIES EXCLUDE_FROM_ALL ON)
    set_tests_properties(${test} PROPERTIES DISABLED ON)
  endif()
endfunction()

# The tool's tests link its command module and run the built programs.
tamrel_test_runs_tool(tamrel_tool_tests tool)
if(TARGET tamrel_tool_tests AND TARGET tamrel_cli)
  target_link_libraries(tamrel_tool_tests PRIVATE tamrel_tool_core)
endif()

# The scripts run on the build machine; in a cross build they run the
# programs through the emulator (Wine), and the consumer is cross-built too.
if(CMAKE_CROSSCOMPILING)
  set(tamrel_program_runner ${CMAKE_CROSSCOMPILING_EMULATOR})
endif()

if(TARGET tamrel_cli)
  if(TAMREL_SANITIZE)
    set(tamrel_consumer_flags "-fsanitize=address,undefined")
  elseif(CMAKE_CROSSCOMPILING AND WIN32)
    set(tamrel_consumer_flags "-static")
  endif()
  if(TARGET tamrel_qt)
    set(tamrel_consumer_component qt)
  endif()
  add_test(NAME package_consumer
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tool/package_consumer_test.sh
      ${PROJECT_BINARY_DIR} ${CMAKE_COMMAND} ${CMAKE_CXX_COMPILER} "${tamrel_consumer_flags}"
      "${CMAKE_TOOLCHAIN_FILE}" "${tamrel_program_runner}" ${tamrel_consumer_component})
  # It builds the library a second time, shared.
  set_tests_properties(package_consumer PROPERTIES TIMEOUT 1200
    ENVIRONMENT "TAMREL_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endif()

if(TARGET survey_plotter AND TARGET tamrel_cli)
  add_test(NAME example_host
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tool/example_host_test.sh
      $<TARGET_FILE:survey_plotter> $<TARGET_FILE:tamrel_cli> "${tamrel_program_runner}")
endif()
