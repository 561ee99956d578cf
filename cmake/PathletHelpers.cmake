# pathlet_library(name SOURCES ... DEPENDS ...): a static library of one folder.
function(pathlet_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
endfunction()

# pathlet_test(group name DEPENDS ...): tests/<group>/<name>_test.cpp as one GoogleTest program.
function(pathlet_test group name)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  set(target test_${group}_${name})
  string(REPLACE "/" "_" target ${target})
  add_executable(${target} ${name}_test.cpp)
  target_link_libraries(${target} PRIVATE ${ARG_DEPENDS} pathlet_testsupport GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60)
endfunction()
