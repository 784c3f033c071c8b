# The 3D view on a big robot (500 rooms, 5,001 occurrences in the first room's tree) against a
# minimal program drawing the same triangles and lines into the same context.
# Each redraw after a change makes the room's thumbnail as the program does, with its Qt code.
if(TARGET mechanon_app)
  mechanon_add_bench(bench_bigrobot
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_bigrobot.cpp
    LIBS mechanon_app torvane_render torvane_model torvane_platform primora mechanon_test_gl)
endif()
