# The cut loop on simulated motors with 1, 3 and 6 motors: gaps between control rounds on the
# window thread against the control thread, in the same iteration.
mechanon_add_bench(bench_motorio
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_motorio.cpp
  LIBS torvane_toolpath torvane_motorio torvane_model torvane_platform vbscript)
