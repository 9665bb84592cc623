# Seconds any one test may take before CTest fails it: a test that hangs must not block a run.
set(VELMORA_TEST_TIMEOUT 120 CACHE STRING "Seconds each CTest test may take")

# velmora_add_test(NAME SOURCES... [LIBS libs...] [GUI])
# One test executable per group of test files, discovered by CTest.
function(velmora_add_test name)
  cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE velmora_test_support ${ARG_LIBS})
  if(ARG_GUI)
    target_link_libraries(${name} PRIVATE velmora_gui_test_main)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
      PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT ${VELMORA_TEST_TIMEOUT})
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
      PROPERTIES TIMEOUT ${VELMORA_TEST_TIMEOUT})
  endif()
endfunction()
