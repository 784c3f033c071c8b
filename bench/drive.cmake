# Gaps between control rounds while the window thread draws the 3D view and a live plot as
# fast as it can: the rounds on the window thread against the rounds on the control thread.
if(TARGET mechanon_app AND TARGET mechanon_example_robots)
  mechanon_add_bench(bench_drive
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_drive.cpp
    LIBS mechanon_app mechanon_example_robots mechanon_test_gl)
endif()
