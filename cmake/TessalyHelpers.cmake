# tessaly_library(NAME DIR [DEPS ...]): a static library made of every .cpp
# directly inside DIR (relative to the calling CMakeLists.txt) (subfolders are libraries of their own).
function(tessaly_library name dir)
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp")
  if(sources)
    add_library(${name} STATIC ${sources})
    set(scope PUBLIC)
  else()
    # A subsystem not written yet: an empty interface library keeps the
    # dependency lines valid.
    add_library(${name} INTERFACE)
    set(scope INTERFACE)
  endif()
  target_include_directories(${name} ${scope} "${CMAKE_SOURCE_DIR}/src")
  if(ARGN)
    target_link_libraries(${name} ${scope} ${ARGN})
  endif()
endfunction()

# tessaly_test(NAME DIR [DEPS ...]): a GoogleTest executable made of every
# .cpp inside DIR, registered with ctest.
function(tessaly_test name dir)
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/${dir}/*.cpp")
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE tessaly_test_support ${ARGN} GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE
    TESSALY_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data"
    TESSALY_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "TESSALY_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()
