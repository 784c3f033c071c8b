# A robot imported from URDF (the servo arm of the sample robots, 322,564 triangles) against a
# minimal program that reads the same STL files and draws their triangles from one vertex array
# into the same context.
if(TARGET mechanon_app)
  mechanon_add_bench(bench_import
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_import.cpp
    LIBS mechanon_app torvane_render torvane_model torvane_platform primora mechanon_test_gl)
  target_compile_definitions(bench_import PRIVATE
    MECHANON_URDF_SAMPLES="${MECHANON_URDF_SAMPLES}")
endif()
