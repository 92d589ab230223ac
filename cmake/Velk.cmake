# Helpers shared by every folder's CMakeLists.txt.

# velk_add_test(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2)
# One GoogleTest executable; its cases are registered with CTest one by one.
function(velk_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gmock Threads::Threads)
  target_compile_definitions(${name} PRIVATE VELK_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/tests)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()

# velk_add_fuzz(NAME SOURCE fuzz.cpp LIBS lib1 CORPUS dir)
# With VELK_FUZZ (clang) the target is a libFuzzer binary. Otherwise it is built against a
# small driver that replays every file of the corpus folder once, and that replay is a test.
function(velk_add_fuzz name)
  cmake_parse_arguments(F "" "SOURCE;CORPUS" "LIBS" ${ARGN})
  if(VELK_FUZZ)
    add_executable(${name} ${F_SOURCE})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  else()
    add_executable(${name} ${F_SOURCE} ${PROJECT_SOURCE_DIR}/tests/fixtures/FuzzReplayMain.cpp)
    if(F_CORPUS)
      add_test(NAME ${name}.replay COMMAND ${name} ${F_CORPUS})
    else()
      add_test(NAME ${name}.replay COMMAND ${name})
    endif()
  endif()
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/fuzz)
endfunction()
