# Native build: the portable core with its unit tests and fuzz targets, all
# under AddressSanitizer and UndefinedBehaviorSanitizer.
set(SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

add_library(tavelund_core STATIC ${CORE_SOURCES})
target_include_directories(tavelund_core PUBLIC ${TAVELUND_INCLUDES})
target_compile_options(tavelund_core PRIVATE ${TAVELUND_WARNINGS} ${SANITIZE} -fno-exceptions -fno-rtti)

find_package(GTest REQUIRED)
include(GoogleTest)

file(GLOB UNIT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(unit_tests ${UNIT_SOURCES})
target_include_directories(unit_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_compile_options(unit_tests PRIVATE ${TAVELUND_WARNINGS} ${SANITIZE})
target_link_options(unit_tests PRIVATE ${SANITIZE})
target_link_libraries(unit_tests PRIVATE tavelund_core GTest::gtest_main)
gtest_discover_tests(unit_tests DISCOVERY_MODE PRE_TEST TEST_PREFIX "unit.")

# Fuzz targets need clang's libFuzzer; each runs a short bounded time as a test.
set(TAVELUND_FUZZ_SECONDS 10 CACHE STRING "Seconds each fuzz target runs in the test command")
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  file(GLOB FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz_*.cpp)
  foreach(src ${FUZZ_SOURCES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_compile_options(${name} PRIVATE ${TAVELUND_WARNINGS} ${SANITIZE} -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE ${SANITIZE} -fsanitize=fuzzer)
    target_link_libraries(${name} PRIVATE tavelund_core)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    set(seeds ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${name})
    set(work ${CMAKE_BINARY_DIR}/fuzz-corpus/${name})
    add_test(NAME fuzz.${name}
      COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1
              ${CMAKE_SOURCE_DIR}/scripts/run-fuzz.sh $<TARGET_FILE:${name}> ${work} ${seeds} ${TAVELUND_FUZZ_SECONDS})
  endforeach()
endif()

# The scripts' own decisions: which test tiers run on which machine, how a
# tier's results are counted, the one line a Wine helper prints when it
# cannot set Wine up, and what the release package's check refuses.
add_test(NAME scripts.tier_selection COMMAND ${CMAKE_SOURCE_DIR}/tests/scripts/tier_selection_test.sh)
add_test(NAME scripts.wine_helpers COMMAND ${CMAKE_SOURCE_DIR}/tests/scripts/wine_helpers_test.sh)
add_test(NAME scripts.package COMMAND ${CMAKE_SOURCE_DIR}/tests/scripts/package_test.sh)
add_test(NAME scripts.small_drive COMMAND ${CMAKE_SOURCE_DIR}/tests/scripts/small_drive_test.sh)
