add_bench(sima_bench
  SRCS ${CMAKE_CURRENT_SOURCE_DIR}/sima_bench.cpp
  DEPS zavin_survey zavin_cad
)
