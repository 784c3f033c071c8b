# Bulk edits through the document operations: 1,000 and 8,000 rooms created one by one, and as
# many subparts attached one by one, the time per operation of the large run against the small.
mechanon_add_bench(bench_bulkedits
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_bulkedits.cpp
  LIBS torvane_model torvane_platform)
