# Tests beyond the per-folder programs: the reader's fuzz target replaying
# its seed corpus (any compiler), and a bounded libFuzzer run (clang).
if(TAMREL_BUILD_FUZZ AND NOT TAMREL_FUZZ_ENGINE STREQUAL "libfuzzer")
  add_test(NAME fuzz_corpus_replay
           COMMAND context_reader_fuzz ${PROJECT_SOURCE_DIR}/fuzz/corpus/context_reader)
  add_test(NAME fuzz_load_corpus_replay
           COMMAND context_load_fuzz ${PROJECT_SOURCE_DIR}/fuzz/corpus/context_load)
endif()

# Once per test command: not again in the sanitizer build, as the fuzz build
# has the sanitizers on anyway.
option(TAMREL_FUZZ_RUN "Run the reader's fuzz target for a bounded time as a test" ON)
if(TAMREL_FUZZ_RUN AND NOT TAMREL_SANITIZE)
  add_test(NAME fuzz_run
           COMMAND ${PROJECT_SOURCE_DIR}/scripts/fuzz-reader 30)
  set_tests_properties(fuzz_run PROPERTIES
    SKIP_RETURN_CODE 125
    TIMEOUT 1800
    ENVIRONMENT "TAMREL_FUZZ_BUILD_DIR=${PROJECT_BINARY_DIR}/fuzz-libfuzzer")
endif()

# The tool, the example host and the installed package.
include(${CMAKE_CURRENT_SOURCE_DIR}/tool/tool_tests.cmake)

# The watcher's writers in other processes are the tool's saves.
tamrel_test_runs_tool(tamrel_watch_tests watch)
