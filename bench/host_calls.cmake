add_bench(host_calls_bench
  SRCS ${CMAKE_CURRENT_SOURCE_DIR}/host_calls_bench.cpp
  DEPS zavin_batch zavin_cad
)
