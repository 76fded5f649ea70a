# add_module(NAME SRCS a.cpp b.cpp DEPS other_module Some::Target)
# One library per folder; the project root is the include root ("geometry/point.h").
function(add_module NAME)
  cmake_parse_arguments(M "" "" "SRCS;DEPS;PRIVATE_DEPS" ${ARGN})
  if(M_SRCS)
    add_library(${NAME} STATIC ${M_SRCS})
    target_include_directories(${NAME} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${NAME} PUBLIC ${M_DEPS} PRIVATE zavin_warnings ${M_PRIVATE_DEPS})
  else()
    add_library(${NAME} INTERFACE)
    target_include_directories(${NAME} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${NAME} INTERFACE ${M_DEPS})
  endif()
endfunction()

# add_module_test(NAME SRCS a_test.cpp DEPS module)
# A GoogleTest executable whose cases CTest lists one by one; Qt runs offscreen.
function(add_module_test NAME)
  cmake_parse_arguments(T "" "TIMEOUT" "SRCS;DEPS" ${ARGN})
  add_executable(${NAME} ${T_SRCS})
  target_link_libraries(${NAME} PRIVATE ${T_DEPS} GTest::gmock GTest::gtest_main zavin_warnings)
  if(ZAVIN_SANITIZE)
    target_sources(${NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests/lsan_suppressions.cpp)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  gtest_discover_tests(${NAME}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES TIMEOUT ${T_TIMEOUT}
               ENVIRONMENT QT_QPA_PLATFORM=offscreen)
  # The source tree, for tests that read files from it.
  target_compile_definitions(${NAME} PRIVATE ZAVIN_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
endfunction()
