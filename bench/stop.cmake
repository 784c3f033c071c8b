# How fast the script engine ends a long single step once asked to stop, against 100 ms.
mechanon_add_bench(bench_stop
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_stop.cpp
  LIBS vbscript Threads::Threads)
