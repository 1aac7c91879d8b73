# arvel_library(name DIRS dir... DEPS lib...): a static library arvel_<name> from the
# sources of the given folders (an interface library while they have none), linking
# the libraries it builds on.
function(arvel_library name)
  cmake_parse_arguments(ARG "" "" "DIRS;DEPS" ${ARGN})
  set(sources)
  foreach(dir ${ARG_DIRS})
    file(GLOB found CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND sources ${found})
  endforeach()
  if(sources)
    add_library(arvel_${name} STATIC ${sources})
    target_include_directories(arvel_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(arvel_${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(arvel_${name} INTERFACE)
    target_include_directories(arvel_${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(arvel_${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# arvel_test_group(label dir [SERIAL] LIBS lib...): one test program per folder of
# tests, each test registered with CTest under the label. SERIAL tests never run beside
# another test (they move windows, focus or the pointer of the shared display).
function(arvel_test_group label dir)
  cmake_parse_arguments(ARG "SERIAL" "" "LIBS" ${ARGN})
  set(serial FALSE)
  if(ARG_SERIAL)
    set(serial TRUE)
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT sources)
    return()
  endif()
  get_filename_component(group ${dir} NAME)
  set(target ${label}_${group})
  add_executable(${target} ${sources})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} arvel_testsupport GTest::gtest GTest::gtest_main)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST TEST_PREFIX "${group}."
                       PROPERTIES LABELS ${label} RUN_SERIAL ${serial})
endfunction()
