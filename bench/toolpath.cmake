# Script expansion and re-timing of a generated tool path (blocks per second, share of the time
# spent inside the script engine).
mechanon_add_bench(bench_toolpath
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_toolpath.cpp
  LIBS torvane_toolpath torvane_motorio torvane_model torvane_platform vbscript)
