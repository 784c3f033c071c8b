# Equation evaluation by the script engine against muparser and Lua 5.4 computing the same
# expressions in the same run: the cached/bound path against evaluating a parsed expression or
# calling a precompiled function, and a full parse of the substituted text against re-parsing.
find_package(PkgConfig REQUIRED)
pkg_check_modules(BENCH_LUA REQUIRED IMPORTED_TARGET lua5.4)
find_library(BENCH_MUPARSER muparser REQUIRED)
mechanon_add_bench(bench_script
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_script.cpp
  LIBS vbscript PkgConfig::BENCH_LUA ${BENCH_MUPARSER})
