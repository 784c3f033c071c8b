# The cut loop on simulated motors: control rounds per second of CutSubleg with 1, 3 and 6
# motors and the longest gap between two rounds, against the period of a 1 kHz servo loop.
mechanon_add_bench(bench_motorio
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_motorio.cpp
  LIBS torvane_toolpath torvane_motorio torvane_model torvane_platform vbscript)
