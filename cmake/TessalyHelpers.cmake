# tessaly_library(NAME DIR [DEPS ...]): a static library made of every .cpp
# directly inside DIR (relative to the calling CMakeLists.txt) (subfolders are libraries of their own).
# A file named *_windows.cpp is built only for Windows, *_posix.cpp only for
# the other systems.
function(tessaly_library name dir)
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp")
  tessaly_platform_sources(sources)
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

# Drops from the list variable NAME the sources of the other systems.
function(tessaly_platform_sources var)
  if(WIN32)
    list(FILTER ${var} EXCLUDE REGEX "_posix\\.cpp$")
  else()
    list(FILTER ${var} EXCLUDE REGEX "_windows\\.cpp$")
  endif()
  set(${var} ${${var}} PARENT_SCOPE)
endfunction()

# tessaly_test(NAME DIR [DEPS ...]): a GoogleTest executable made of every
# .cpp inside DIR (*_windows.cpp only on Windows, *_posix.cpp only elsewhere),
# registered with ctest.
function(tessaly_test name dir)
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/${dir}/*.cpp")
  tessaly_platform_sources(sources)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  tessaly_windows_resources(${name} tessaly-cli.rc)
  target_link_libraries(${name} PRIVATE tessaly_test_support ${ARGN} GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE
    TESSALY_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data"
    TESSALY_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "TESSALY_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()

# tessaly_windows_resources(TARGET RC): on Windows, the manifest (UTF-8 as
# the program's code page), icon and version of a program, from RC.in in
# packaging/windows with the version filled in. Nothing elsewhere.
function(tessaly_windows_resources target rc)
  if(NOT WIN32)
    return()
  endif()
  set(TESSALY_VERSION_COMMAS "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},0,0")
  set(file "${CMAKE_CURRENT_BINARY_DIR}/${rc}")
  configure_file("${CMAKE_SOURCE_DIR}/packaging/windows/${rc}.in" "${file}" @ONLY)
  target_sources(${target} PRIVATE "${file}")
  set_source_files_properties("${file}" PROPERTIES
    INCLUDE_DIRECTORIES "${CMAKE_SOURCE_DIR}/packaging/windows")
endfunction()
