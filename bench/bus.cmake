# Control rounds of six STS/SCS servos on one emulated bus at 1,000,000 baud, on the protocol and
# through the bus's joints as a drive uses them: rounds per second and the gaps between rounds,
# free-running and at a 200 Hz period, beside what the wire allows.
mechanon_add_bench(bench_bus
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_bus.cpp
  LIBS mechanon_test_bus torvane_toolpath torvane_motorio torvane_model torvane_platform vbscript)
