# The robot file: save and load (with relinking and the motor mask rebuild) of synthetic robots
# of 1,000 to 8,000 rooms, against writing and parsing the same robot as URDF-style XML with
# tinyxml2 in the same run. tinyxml2 is used here only.
find_package(tinyxml2 CONFIG QUIET)
if(TARGET tinyxml2::tinyxml2)
  mechanon_add_bench(bench_robotfile
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_robotfile.cpp
    LIBS torvane_model torvane_platform tinyxml2::tinyxml2)
else()
  message(STATUS "tinyxml2 not found: bench_robotfile is not built (install libtinyxml2-dev)")
endif()
