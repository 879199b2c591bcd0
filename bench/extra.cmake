# Benchmark-only dependencies: pugixml for the baselines of persist_bench
# (Debian's libpugixml-dev; scripts/bench installs it).
if(TARGET persist_bench)
  find_package(pugixml REQUIRED)
  target_link_libraries(persist_bench PRIVATE pugixml::pugixml)
endif()
