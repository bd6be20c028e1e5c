# Windows build (MinGW-w64): the product, the stand-in player and the tests
# that run under Wine through scripts/wine-run.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
set(WINE_PREFIX_DIR ${CMAKE_SOURCE_DIR}/build/wineprefix CACHE PATH "Wine prefix shared by the Windows builds")
# wine-run starts every program with Wine's 64-bit loader, which hands x86
# programs on to the 32-bit one: the x86 build's tests need a kernel that runs
# 32-bit code. scripts/test.sh runs them only there (wine_win32_probe), and
# wine-run says so when an x86 program fails where it cannot run.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-run --prefix ${WINE_PREFIX_DIR})

# The build folders stay out of the objects (a path the code names is taken
# relative to the checkout or the build folder), so two checkouts of one
# commit build the same program.
set(PRODUCT_FLAGS ${TAVELUND_WARNINGS} -fno-exceptions -fno-rtti -ffunction-sections -fdata-sections
    -ffile-prefix-map=${CMAKE_SOURCE_DIR}/= -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  # On x86 the unwind tables are GCC's own (Windows unwinds by frames there)
  # and nothing in the program throws: they would be a sixth of the exe.
  list(APPEND PRODUCT_FLAGS -fno-asynchronous-unwind-tables -fno-unwind-tables)
endif()
set(STATIC_LINK -static -static-libgcc -static-libstdc++)
set(SECURE_LINK -Wl,--dynamicbase -Wl,--nxcompat)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  list(APPEND SECURE_LINK -Wl,--high-entropy-va)
endif()
# No link time in the PE header (it stays 0), so the program's bytes, its
# checksum included, depend on the sources alone.
set(REPRODUCIBLE_LINK -Wl,--no-insert-timestamp)
set(SYSTEM_LIBS user32 gdi32 comctl32 shell32 advapi32 ole32 kernel32)

add_library(tavelund_core STATIC ${CORE_SOURCES})
target_include_directories(tavelund_core PUBLIC ${TAVELUND_INCLUDES})
target_compile_options(tavelund_core PRIVATE ${PRODUCT_FLAGS})

add_library(tavelund_shell STATIC ${SHELL_SOURCES})
target_include_directories(tavelund_shell PUBLIC ${TAVELUND_INCLUDES})
target_compile_options(tavelund_shell PRIVATE ${PRODUCT_FLAGS})
target_link_libraries(tavelund_shell PUBLIC tavelund_core ${SYSTEM_LIBS})

# Resources: an OBJECT library, so the templates reach every exe that links it.
add_library(tavelund_resources OBJECT ${CMAKE_SOURCE_DIR}/resources/tavelund.rc)
target_include_directories(tavelund_resources PRIVATE ${CMAKE_SOURCE_DIR}/resources ${TAVELUND_GENERATED})
set_source_files_properties(${CMAKE_SOURCE_DIR}/resources/tavelund.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/resources/ids.h;${TAVELUND_GENERATED}/resources/version.h;${CMAKE_SOURCE_DIR}/resources/tavelund.manifest;${CMAKE_SOURCE_DIR}/resources/tavelund.ico;${CMAKE_SOURCE_DIR}/resources/tray-waiting.ico;${CMAKE_SOURCE_DIR}/resources/tray-recording.ico;${CMAKE_SOURCE_DIR}/resources/tray-needs-you.ico")

add_executable(Tavelund WIN32 ${CMAKE_SOURCE_DIR}/src/app/entry_win32.cpp $<TARGET_OBJECTS:tavelund_resources>)
target_compile_options(Tavelund PRIVATE ${PRODUCT_FLAGS})
target_link_options(Tavelund PRIVATE ${STATIC_LINK} ${SECURE_LINK} ${REPRODUCIBLE_LINK} -s -Wl,--gc-sections)
target_link_libraries(Tavelund PRIVATE tavelund_shell)

# The stand-in for the player and its recording plug-in.
file(GLOB STANDIN_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/standin/*.cpp)
if(STANDIN_SOURCES)
  add_executable(standin-player WIN32 ${STANDIN_SOURCES})
  target_include_directories(standin-player PRIVATE ${TAVELUND_INCLUDES})
  target_compile_options(standin-player PRIVATE ${TAVELUND_WARNINGS})
  target_link_options(standin-player PRIVATE ${STATIC_LINK} ${SECURE_LINK})
  target_link_libraries(standin-player PRIVATE ${SYSTEM_LIBS})
endif()

# Size report after every build of the product.
add_custom_target(sizes ALL
  COMMAND ${CMAKE_COMMAND} -E echo "Binary sizes (${CMAKE_SYSTEM_PROCESSOR}):"
  COMMAND ls -l $<TARGET_FILE:Tavelund> ${CMAKE_BINARY_DIR}/standin-player.exe
  DEPENDS Tavelund
  VERBATIM)

# GoogleTest from the sources the Debian package installs.
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

set(TEST_LINK ${STATIC_LINK})

# One support library for every Windows tier: folders and files, processes,
# other processes' windows, the stand-in and its journal (e2e_support), and
# the in-process helpers: settings, message pumping, message boxes
# (win_support).
add_library(test_support STATIC ${CMAKE_SOURCE_DIR}/tests/e2e/e2e_support.cpp ${CMAKE_SOURCE_DIR}/tests/win/win_support.cpp)
target_include_directories(test_support PUBLIC ${CMAKE_SOURCE_DIR}/tests ${TAVELUND_INCLUDES})
target_compile_options(test_support PRIVATE ${TAVELUND_WARNINGS})
target_link_libraries(test_support PUBLIC gtest ${SYSTEM_LIBS})

# In-process tests of the shell against the real platform.
file(GLOB WIN_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*.cpp)
list(FILTER WIN_TEST_SOURCES EXCLUDE REGEX "/win_support\\.cpp$")
if(WIN_TEST_SOURCES)
  add_executable(win_tests ${WIN_TEST_SOURCES} $<TARGET_OBJECTS:tavelund_resources>)
  target_include_directories(win_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_options(win_tests PRIVATE ${TAVELUND_WARNINGS})
  target_link_options(win_tests PRIVATE ${TEST_LINK})
  target_link_libraries(win_tests PRIVATE test_support tavelund_shell gtest_main)
  gtest_discover_tests(win_tests DISCOVERY_MODE PRE_TEST TEST_PREFIX "win." DISCOVERY_TIMEOUT 120
    PROPERTIES TIMEOUT 300)
endif()

# Whole-process tests: Tavelund.exe with the stand-in player.
file(GLOB E2E_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
list(FILTER E2E_TEST_SOURCES EXCLUDE REGEX "/e2e_support\\.cpp$")
if(E2E_TEST_SOURCES)
  add_executable(e2e_tests ${E2E_TEST_SOURCES})
  target_include_directories(e2e_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests ${TAVELUND_INCLUDES})
  target_compile_options(e2e_tests PRIVATE ${TAVELUND_WARNINGS})
  target_link_options(e2e_tests PRIVATE ${TEST_LINK})
  target_link_libraries(e2e_tests PRIVATE test_support tavelund_core gtest_main ${SYSTEM_LIBS})
  # The SmallDrive tests run with a small drive of their own (a tmpfs), where
  # the machine allows it: scripts/small-drive-run mounts it around them.
  set_target_properties(e2e_tests PROPERTIES CROSSCOMPILING_EMULATOR
    "${CMAKE_SOURCE_DIR}/scripts/small-drive-run;${WINE_PREFIX_DIR}")
  add_dependencies(e2e_tests Tavelund)
  if(TARGET standin-player)
    add_dependencies(e2e_tests standin-player)
  endif()
  # WrongCodePage runs on a system whose code page is not 949: Wine gives a
  # process its code page from LC_ALL, and the scheduler keeps the one of the
  # test program that starts it, so the suite has an entry of its own that
  # runs the test program with another locale.
  gtest_discover_tests(e2e_tests DISCOVERY_MODE PRE_TEST TEST_PREFIX "e2e." DISCOVERY_TIMEOUT 120
    TEST_FILTER "-WrongCodePage.*" PROPERTIES TIMEOUT 600)
  add_test(NAME e2e.WrongCodePage.MinimisedStartTellsTheHistoryAndTheReadableMessageComesWithTheWindow
    COMMAND ${CMAKE_COMMAND} -E env TAVELUND_WINE_LC_ALL=en_US.UTF-8
      ${CMAKE_SOURCE_DIR}/scripts/wine-run --prefix ${WINE_PREFIX_DIR} $<TARGET_FILE:e2e_tests>
      --gtest_filter=WrongCodePage.MinimisedStartTellsTheHistoryAndTheReadableMessageComesWithTheWindow)
  set_tests_properties(e2e.WrongCodePage.MinimisedStartTellsTheHistoryAndTheReadableMessageComesWithTheWindow
    PROPERTIES TIMEOUT 600)
endif()

# The player-launch tests search every fixed drive: they run in a prefix of
# their own whose only fixed drives are D: and E:, folders the tests fill
# (scripts/launch-test-prefix.sh), one test at a time. fake_player is the
# program they start; Tavelund.exe and the stand-in run there too, for the
# search as the program runs it.
file(GLOB LAUNCH_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/launch/*.cpp)
if(LAUNCH_TEST_SOURCES)
  add_executable(fake_player WIN32 ${CMAKE_SOURCE_DIR}/tests/win/fake_player/fake_player.cpp)
  target_compile_options(fake_player PRIVATE ${TAVELUND_WARNINGS})
  target_link_options(fake_player PRIVATE ${STATIC_LINK})
  add_executable(launch_tests ${LAUNCH_TEST_SOURCES} $<TARGET_OBJECTS:tavelund_resources>)
  target_include_directories(launch_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_options(launch_tests PRIVATE ${TAVELUND_WARNINGS})
  target_link_options(launch_tests PRIVATE ${TEST_LINK})
  target_link_libraries(launch_tests PRIVATE test_support tavelund_shell gtest_main)
  # The drive search is also run as a whole process, with the stand-in.
  add_dependencies(launch_tests fake_player Tavelund)
  if(TARGET standin-player)
    add_dependencies(launch_tests standin-player)
  endif()
  set_target_properties(launch_tests PROPERTIES CROSSCOMPILING_EMULATOR
    "${CMAKE_SOURCE_DIR}/scripts/launch-test-prefix.sh;${CMAKE_BINARY_DIR}/wineprefix-launch;${CMAKE_BINARY_DIR}/launch-drives")
  gtest_discover_tests(launch_tests DISCOVERY_MODE PRE_TEST TEST_PREFIX "launch." DISCOVERY_TIMEOUT 120
    PROPERTIES TIMEOUT 300 RESOURCE_LOCK launch-drives)
endif()

# The real main dialog with its notification-area icon and a balloon, for
# screenshots (scripts/tray-shot.sh). Not built by default, never shipped.
add_executable(tray_shot WIN32 EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/tests/win/tray_shot/tray_shot.cpp
  $<TARGET_OBJECTS:tavelund_resources>)
target_compile_options(tray_shot PRIVATE ${TAVELUND_WARNINGS})
target_link_options(tray_shot PRIVATE ${STATIC_LINK})
target_link_libraries(tray_shot PRIVATE tavelund_shell)

# Benchmarks (scripts/bench.sh): programs that measure and print figures. Not
# tests and not built by default: `cmake --build <dir> --target bench`.
file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*.cpp)
if(BENCH_SOURCES)
  # The product built again with the one-second tick left at a plain 1000 ms
  # period, to compare the start punctuality with: the benchmark's own timer
  # arming takes the place of the product's. Never shipped.
  set(UNALIGNED_SOURCES ${SHELL_SOURCES})
  list(FILTER UNALIGNED_SOURCES EXCLUDE REGEX "/tick_timer_win32\\.cpp$")
  add_executable(Tavelund-unaligned WIN32 EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/src/app/entry_win32.cpp
    ${UNALIGNED_SOURCES} ${CMAKE_SOURCE_DIR}/bench/unaligned_tick_timer.cpp $<TARGET_OBJECTS:tavelund_resources>)
  target_include_directories(Tavelund-unaligned PRIVATE ${TAVELUND_INCLUDES})
  target_compile_options(Tavelund-unaligned PRIVATE ${PRODUCT_FLAGS})
  target_link_options(Tavelund-unaligned PRIVATE ${STATIC_LINK} ${SECURE_LINK} -s -Wl,--gc-sections)
  target_link_libraries(Tavelund-unaligned PRIVATE tavelund_core ${SYSTEM_LIBS})

  # The product built again handing no request over ahead, so every start
  # goes the whole way on its second: the way a start goes when what was
  # handed over no longer holds. Never shipped.
  set(ON_THE_SECOND_SOURCES ${SHELL_SOURCES})
  list(FILTER ON_THE_SECOND_SOURCES EXCLUDE REGEX "/hand_over_lead_win32\\.cpp$")
  add_executable(Tavelund-on-the-second WIN32 EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/src/app/entry_win32.cpp
    ${ON_THE_SECOND_SOURCES} ${CMAKE_SOURCE_DIR}/bench/no_hand_over_lead.cpp $<TARGET_OBJECTS:tavelund_resources>)
  target_include_directories(Tavelund-on-the-second PRIVATE ${TAVELUND_INCLUDES})
  target_compile_options(Tavelund-on-the-second PRIVATE ${PRODUCT_FLAGS})
  target_link_options(Tavelund-on-the-second PRIVATE ${STATIC_LINK} ${SECURE_LINK} -s -Wl,--gc-sections)
  target_link_libraries(Tavelund-on-the-second PRIVATE tavelund_core ${SYSTEM_LIBS})

  # The floor programs: a bare dialog from a template (with a 1-second timer
  # on request).
  add_library(bench_floor_resources OBJECT EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/bench/floor_dialog.rc)
  target_include_directories(bench_floor_resources PRIVATE ${CMAKE_SOURCE_DIR}/bench ${CMAKE_SOURCE_DIR}/resources)
  set_source_files_properties(${CMAKE_SOURCE_DIR}/bench/floor_dialog.rc PROPERTIES
    OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/bench/floor_dialog.h;${CMAKE_SOURCE_DIR}/resources/tavelund.manifest")
  add_executable(bench_floor_dialog WIN32 EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/bench/floor_dialog.cpp
    $<TARGET_OBJECTS:bench_floor_resources>)
  target_compile_options(bench_floor_dialog PRIVATE ${PRODUCT_FLAGS})
  target_link_options(bench_floor_dialog PRIVATE ${STATIC_LINK} ${SECURE_LINK} -s -Wl,--gc-sections)
  target_link_libraries(bench_floor_dialog PRIVATE user32 kernel32)

  # In-process figures of the shell: drive search (in the program's own main
  # dialog, hence its templates), schedule load and save.
  add_executable(bench_shell EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/bench/shell_bench.cpp $<TARGET_OBJECTS:tavelund_resources>)
  target_include_directories(bench_shell PRIVATE ${CMAKE_SOURCE_DIR}/bench)
  target_compile_options(bench_shell PRIVATE ${TAVELUND_WARNINGS})
  target_link_options(bench_shell PRIVATE ${STATIC_LINK})
  target_link_libraries(bench_shell PRIVATE tavelund_shell)

  # Whole-process figures: start-up, punctuality, idle set-up.
  add_executable(bench_driver EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/bench/driver.cpp)
  target_include_directories(bench_driver PRIVATE ${CMAKE_SOURCE_DIR}/bench ${CMAKE_SOURCE_DIR}/tests ${TAVELUND_INCLUDES})
  target_compile_options(bench_driver PRIVATE ${TAVELUND_WARNINGS})
  target_link_options(bench_driver PRIVATE ${STATIC_LINK})
  target_link_libraries(bench_driver PRIVATE test_support ${SYSTEM_LIBS})

  add_custom_target(bench)
  add_dependencies(bench Tavelund Tavelund-unaligned Tavelund-on-the-second standin-player bench_floor_dialog bench_shell bench_driver)
endif()
