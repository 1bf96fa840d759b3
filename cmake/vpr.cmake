# vpr_test(NAME <name> SOURCES <files...> [LIBS <targets...>])
# A GoogleTest program whose cases ctest runs one by one.
function(vpr_test)
  if(NOT VPR_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${T_NAME} DISCOVERY_MODE PRE_TEST
                       PROPERTIES ENVIRONMENT "VPR_BUILD_BIN=${CMAKE_BINARY_DIR}/bin")
endfunction()

# vpr_benchmark(NAME <name> SOURCES <files...> [LIBS <targets...>])
# A Google Benchmark program; built, never registered with ctest.
function(vpr_benchmark)
  if(NOT VPR_BENCHMARKS)
    return()
  endif()
  cmake_parse_arguments(B "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${B_NAME} ${B_SOURCES})
  target_link_libraries(${B_NAME} PRIVATE ${B_LIBS} benchmark::benchmark)
endfunction()
