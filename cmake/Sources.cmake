# vqr_sources(<out-var> <dir>...): the .cpp files under the given folders, so adding a
# file to a folder needs no edit of a CMakeLists.txt.
function(vqr_sources out)
  set(all)
  foreach(dir IN LISTS ARGN)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${dir}/*.cpp)
    list(APPEND all ${found})
  endforeach()
  set(${out} ${all} PARENT_SCOPE)
endfunction()

# vqr_test(<name> <dir> LIBS ...): one GoogleTest executable for a test folder.
function(vqr_test name dir)
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  vqr_sources(srcs ${dir})
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "VQR_SOURCE_DIR=${PROJECT_SOURCE_DIR};VQR_BINARY_DIR=${CMAKE_BINARY_DIR}")
endfunction()
