# Inverse kinematics against KDL's joint-limited Newton-Raphson solver on the same targets: two
# arms written as URDF here and the servo arm of the sample robots (the tests' robot makers).
if(TARGET mechanon_kinematics_test_support)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(BENCH_KDL REQUIRED IMPORTED_TARGET orocos-kdl)
  mechanon_add_bench(bench_ik
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_ik.cpp
    LIBS mechanon_kinematics_test_support PkgConfig::BENCH_KDL)
  target_compile_definitions(bench_ik PRIVATE MECHANON_URDF_SAMPLES="${MECHANON_URDF_SAMPLES}")
endif()
