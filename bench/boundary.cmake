add_bench(boundary_bench
  SRCS ${CMAKE_CURRENT_SOURCE_DIR}/boundary_bench.cpp
  DEPS zavin_cad
)
