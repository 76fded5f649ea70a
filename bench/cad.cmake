add_bench(pick_bench
  SRCS ${CMAKE_CURRENT_SOURCE_DIR}/pick_bench.cpp
  DEPS zavin_cad
)
