# Benchmark-only dependencies: pugixml for the baselines of persist_bench
# (Debian's libpugixml-dev; scripts/bench installs it).
if(TARGET persist_bench)
  find_package(pugixml REQUIRED)
  target_link_libraries(persist_bench PRIVATE pugixml::pugixml)
endif()

# The watcher's figures: a plain program, not a Google Benchmark one.
if(NOT WIN32)
  add_executable(watch_figures ${CMAKE_CURRENT_SOURCE_DIR}/watch_figures.cpp)
  target_include_directories(watch_figures PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(watch_figures PRIVATE tamrel)
endif()
