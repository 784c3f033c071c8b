# The program: UpdatePicture per example robot against replaying its world list, and the time
# from starting the program to its first frame against a plain window's first frame (the
# start-up figures need a display: run under xvfb-run; without one they are skipped).
if(TARGET mechanon_app AND TARGET mechanon_example_robots)
  mechanon_add_bench(bench_app
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_app.cpp
    LIBS mechanon_app mechanon_example_robots mechanon_test_gl)
endif()
