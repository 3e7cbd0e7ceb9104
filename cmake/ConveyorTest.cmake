# conveyor_add_test(NAME SOURCES... LIBS...)
# One GoogleTest executable per library; CTest runs it with the offscreen Qt platform so
# that window tests never need a display.
function(conveyor_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} conveyor_test_support GTest::gtest GTest::gtest_main conveyor_options)
  # Every executable carries the program's version block.
  target_link_libraries(${name} PRIVATE conveyor_version)
  add_test(NAME ${name} COMMAND ${name})
  # XDG_CACHE_HOME: no test run leaves its archives in the user's own cache.
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;SDL_AUDIODRIVER=disk;XDG_CACHE_HOME=${CMAKE_BINARY_DIR}/test-cache;${ARG_ENVIRONMENT}"
    TIMEOUT 600)
  if(conveyor_gui_test_environment IN_LIST ARG_LIBS)
    conveyor_precompile(TEST_WIDGETS ${name})
  else()
    conveyor_precompile(TEST_CORE ${name})
  endif()
endfunction()
