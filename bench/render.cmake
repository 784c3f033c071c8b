# The placement walk and the world list: walk speed over large trees, and what replaying the
# compiled list saves against rebuilding it.
mechanon_add_bench(bench_render
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_render.cpp
  LIBS torvane_render torvane_model torvane_platform primora mechanon_test_gl)
