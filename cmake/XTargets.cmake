# One static library per folder: every .cpp of the folder except the *_test.cpp files.
# The tests of the folder build into one executable whose cases CTest runs one by one.

find_package(Threads REQUIRED)
find_package(GTest REQUIRED)
include(GoogleTest)

add_compile_options(-Wall -Wextra)
if(X_WERROR)
  add_compile_options(-Werror)
endif()
if(X_FUZZ AND NOT X_SANITIZE)
  message(FATAL_ERROR "X_FUZZ needs X_SANITIZE: the fuzz targets link the sanitizer build")
endif()
if(X_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(X_FUZZ)
  # Coverage for libFuzzer in every library; the tests link the sanitizers' runtime, which
  # takes the coverage calls, and only the fuzz targets link libFuzzer with its main.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

function(x_unity target)
  set_target_properties(${target} PROPERTIES UNITY_BUILD ${X_UNITY} UNITY_BUILD_BATCH_SIZE ${X_UNITY_BATCH})
endfunction()

# x_folder_library(<target> [DEPS <targets...>] [TEST_DEPS <targets...>] [TEST_PROPERTIES <ctest properties...>])
function(x_folder_library target)
  cmake_parse_arguments(X "" "" "DEPS;TEST_DEPS;TEST_PROPERTIES" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  file(GLOB tests CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp")
  if(tests)
    list(REMOVE_ITEM sources ${tests})
  endif()
  add_library(${target} STATIC ${sources})
  x_unity(${target})
  target_include_directories(${target} PUBLIC "${CMAKE_CURRENT_SOURCE_DIR}")
  target_link_libraries(${target} PUBLIC ${X_DEPS} Threads::Threads)
  if(tests)
    add_executable(${target}_tests ${tests})
    x_unity(${target}_tests)
    target_link_libraries(${target}_tests PRIVATE ${target} ${X_TEST_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
    gtest_discover_tests(${target}_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
      PROPERTIES LABELS ${target} ENVIRONMENT "X_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
                 ENVIRONMENT_MODIFICATION "NV_DISPLAY=set:headless" ${X_TEST_PROPERTIES})
  endif()
endfunction()
