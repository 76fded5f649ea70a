add_bench(group_select_bench
  SRCS ${CMAKE_CURRENT_SOURCE_DIR}/group_select_bench.cpp
  DEPS capture_segment_triangles_reference zavin_capture
)
