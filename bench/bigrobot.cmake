# The 3D view on a big robot (500 rooms, 5,001 or 20,001 occurrences in the first room's tree)
# against a minimal program drawing the same triangles and lines into the same context.
# bench_bigrobot times the library's drawing on an offscreen context, each redraw after a change
# making the room's thumbnail as the program does, with its Qt code; bench_bigrobot_program times
# the same rows through the started program's windows (it needs a display: run under xvfb-run).
if(TARGET mechanon_app)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  add_library(bench_bigrobot_robot STATIC ${CMAKE_CURRENT_LIST_DIR}/BigRobot.cpp)
  mechanon_warnings(bench_bigrobot_robot)
  target_link_libraries(bench_bigrobot_robot PUBLIC torvane_render torvane_model torvane_platform primora
    benchmark::benchmark)
  mechanon_add_bench(bench_bigrobot
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_bigrobot.cpp
    LIBS bench_bigrobot_robot mechanon_app torvane_render torvane_model torvane_platform primora
      mechanon_test_gl)
  mechanon_add_bench(bench_bigrobot_program
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_bigrobot_program.cpp ${CMAKE_CURRENT_LIST_DIR}/StartedProgram.cpp
    LIBS bench_bigrobot_robot mechanon_app Qt6::Test)
endif()

# The robot the rows measure is the robot they name (tests/bench).
if(TARGET bench_bigrobot_robot AND COMMAND mechanon_add_test)
  find_package(GTest REQUIRED)
  include(GoogleTest)
  mechanon_add_test(BigRobotTest
    SOURCES ${PROJECT_SOURCE_DIR}/tests/bench/BigRobotTest.cpp
    LIBS bench_bigrobot_robot torvane_render torvane_model torvane_platform primora)
endif()
