# Test helpers. Natively GoogleTest comes from the system package; for the
# Windows build it is compiled from Debian's googletest source package.

set(WB_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "googletest sources for the cross build")

# Every test that runs Wine takes this lock: they share one prefix, whose
# files and registry a check cannot tell apart between two suites at once.
set(WB_WINE_PREFIX_LOCK wineprefix)

macro(wb_setup_gtest)
  if(WIN32)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    add_subdirectory(${WB_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/_googletest EXCLUDE_FROM_ALL)
  else()
    find_package(GTest REQUIRED)
    include(GoogleTest)
    find_package(benchmark QUIET)
  endif()
endmacro()

# wb_native_test(NAME src...): portable-core test, native builds only.
function(wb_native_test name)
  if(WIN32)
    return()
  endif()
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE wb_core GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST)
endfunction()

# wb_windows_test(NAME src... [LIBS lib...]): Win32 test run through Wine,
# one ctest entry per executable (each Wine start costs time).
function(wb_windows_test name)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  add_executable(${name} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE wb_win wb_test_support GTest::gtest_main ${T_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "WB_BUILD_DIR=${CMAKE_BINARY_DIR}"
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    RESOURCE_LOCK ${WB_WINE_PREFIX_LOCK})
endfunction()

# wb_windows_helper(NAME src... [GUI]): small Windows program the tests start
# (stand-in tools, recording programs). Linked statically like the product.
function(wb_windows_helper name)
  if(NOT WIN32)
    return()
  endif()
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE wb_flags)
endfunction()

# The registry dump that cmake/wine-suite.sh compares before and after
# each suite; it looks for it in the top of the build folder.
if(WIN32)
  add_executable(wb_registry_dump ${CMAKE_CURRENT_LIST_DIR}/registry-dump.cpp)
  set_target_properties(wb_registry_dump PROPERTIES
    OUTPUT_NAME registry-dump RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  target_link_options(wb_registry_dump PRIVATE -municode)
  target_link_libraries(wb_registry_dump PRIVATE wb_flags advapi32)
endif()
