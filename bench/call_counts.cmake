# tkdec_call_counts: the benchmark calls, each a fixed number of times, for
# counting their instructions with callgrind (bench/instruction_counts.py).
# Used by the benchmarks and by the instruction budget test.
if(NOT TARGET tkdec_call_counts)
  add_executable(tkdec_call_counts "${PROJECT_SOURCE_DIR}/bench/call_counts.cpp"
                 "${PROJECT_SOURCE_DIR}/bench/samples.cpp" "${PROJECT_SOURCE_DIR}/bench/floors.cpp")
  target_link_libraries(tkdec_call_counts PRIVATE tkdec_core)
endif()
