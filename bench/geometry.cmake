add_bench(rounding_bench SRCS rounding_bench.cpp DEPS zavin_geometry)
