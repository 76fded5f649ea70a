if(TARGET zavin_ui_drawing)
  add_bench(drawing_bench
    SRCS ${CMAKE_CURRENT_SOURCE_DIR}/drawing_bench.cpp
    DEPS zavin_ui_drawing
  )
endif()
