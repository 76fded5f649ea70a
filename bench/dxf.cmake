add_bench(dxf_bench
  SRCS ${CMAKE_CURRENT_SOURCE_DIR}/dxf_bench.cpp
  DEPS zavin_cad
)
