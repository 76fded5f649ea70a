add_bench(triangulation_bench
  SRCS ${CMAKE_CURRENT_SOURCE_DIR}/triangulation_bench.cpp
  DEPS capture_triangulation_reference zavin_capture
)
