# The Windows side: the platform layer, the programs, the product folder and the
# tests that run under Wine.

set(PRODUCT_DIR ${CMAKE_SOURCE_DIR}/build/product CACHE PATH "The folder a user receives")
file(MAKE_DIRECTORY ${PRODUCT_DIR})

add_compile_definitions(UNICODE _UNICODE _WIN32_WINNT=0x0601 WINVER=0x0601 NOMINMAX WIN32_LEAN_AND_MEAN)
# One manifest for every program, by execution level, with the version: written into the
# build with the resource that embeds it, found there before the sources.
foreach(LEVEL asInvoker requireAdministrator)
  configure_file(${CMAKE_SOURCE_DIR}/res/manifests/program.manifest.in
                 ${CMAKE_BINARY_DIR}/generated/manifests/${LEVEL}.manifest @ONLY)
  configure_file(${CMAKE_SOURCE_DIR}/res/manifests/manifest.rc.in
                 ${CMAKE_BINARY_DIR}/generated/manifests/${LEVEL}.rc @ONLY)
endforeach()
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001 -I${CMAKE_BINARY_DIR}/generated -I${CMAKE_SOURCE_DIR}/res")
# Only system DLLs at run time; unused code dropped; small code, since the time goes into
# the system's own calls; the whole 4 GiB address space for 32-bit programs on 64-bit Windows.
add_link_options(-static -static-libgcc -static-libstdc++ -Wl,--gc-sections -s)
add_compile_options(-ffunction-sections -fdata-sections)
set(CMAKE_C_FLAGS_RELEASE "-Os -DNDEBUG")
set(CMAKE_CXX_FLAGS_RELEASE "-Os -DNDEBUG")
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  add_link_options(-Wl,--large-address-aware)
endif()

add_library(common_win32 STATIC
  common/win32/account.cpp
  common/win32/ansi.cpp
  common/win32/apps_entry_store.cpp
  common/win32/command_line.cpp
  common/win32/elevation.cpp
  common/win32/error.cpp
  common/win32/files.cpp
  common/win32/utf8.cpp
  common/win32/dpi.cpp
  common/win32/form.cpp
  common/win32/profile_store.cpp
  common/win32/setup_log.cpp
  common/win32/shortcut_library.cpp
  common/win32/special_folder.cpp
  common/win32/startup.cpp
)
target_link_libraries(common_win32 PUBLIC suite_logic shell32 ole32)
target_compile_options(common_win32 PRIVATE ${SUITE_WARNINGS})

# suite_program(<target> <asInvoker|requireAdministrator> <output name> sources...)
# A windowed program of the suite, with its manifest, laid out in the product folder.
function(suite_program target level output)
  add_executable(${target} WIN32 ${ARGN} ${CMAKE_BINARY_DIR}/generated/manifests/${level}.rc
                 ${CMAKE_SOURCE_DIR}/common/win32/terminate.cpp)
  target_link_options(${target} PRIVATE -municode -mwindows)
  target_compile_options(${target} PRIVATE ${SUITE_WARNINGS})
  target_link_libraries(${target} PRIVATE common_win32)
  set_target_properties(${target} PROPERTIES OUTPUT_NAME ${output}
                        RUNTIME_OUTPUT_DIRECTORY ${PRODUCT_DIR})
endfunction()

# The shortcut library, shipped as LIB\VB6STKIT.DLL with undecorated stdcall entries.
add_library(vb6stkit SHARED stkit/stkit.cpp stkit/stkit.def res/stkit.rc)
target_link_libraries(vb6stkit PRIVATE common_win32 ole32 uuid)
target_link_options(vb6stkit PRIVATE -Wl,--enable-stdcall-fixup)
target_compile_options(vb6stkit PRIVATE ${SUITE_WARNINGS})
set_target_properties(vb6stkit PROPERTIES PREFIX "" OUTPUT_NAME VB6STKIT SUFFIX ".DLL"
                      RUNTIME_OUTPUT_DIRECTORY ${PRODUCT_DIR}/LIB)

# Install.exe.
add_library(install_win32 STATIC install/win32/platform.cpp install/win32/first_run.cpp
            install/win32/setup_lock.cpp)
target_link_libraries(install_win32 PUBLIC common_win32 oleaut32 uuid)
target_compile_options(install_win32 PRIVATE ${SUITE_WARNINGS})
suite_program(install_exe requireAdministrator Install install/win32/main.cpp res/install.rc)
target_link_libraries(install_exe PRIVATE install_win32)

# uninstall.exe, which the installer's "Uninstall" shortcut starts.
add_library(uninstall_win32 STATIC uninstall/win32/platform.cpp)
target_link_libraries(uninstall_win32 PUBLIC common_win32)
target_compile_options(uninstall_win32 PRIVATE ${SUITE_WARNINGS})
suite_program(uninstall_exe asInvoker uninstall uninstall/win32/main.cpp res/uninstall.rc)
target_link_libraries(uninstall_exe PRIVATE uninstall_win32)

# Nubilux.exe.
add_library(nubilux_win32 STATIC app/win32/about_window.cpp app/win32/attempt_process.cpp app/win32/bitmap_file.cpp
            app/win32/clock.cpp app/win32/codec.cpp app/win32/desktop.cpp app/win32/fetch.cpp
            app/win32/instance.cpp app/win32/platform.cpp app/win32/power.cpp app/win32/system_attempt.cpp app/win32/tray_icon.cpp
            app/win32/worker.cpp)
target_link_libraries(nubilux_win32 PUBLIC common_win32)
target_compile_options(nubilux_win32 PRIVATE ${SUITE_WARNINGS})
suite_program(nubilux_exe asInvoker Nubilux app/win32/main.cpp res/nubilux.rc)
target_link_libraries(nubilux_exe PRIVATE nubilux_win32)

# The description and configuration files beside the programs.
foreach(file install/Install.ini app/Nubilux.ini)
  get_filename_component(name ${file} NAME)
  add_custom_command(OUTPUT ${PRODUCT_DIR}/${name}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/${file} ${PRODUCT_DIR}/${name}
    DEPENDS ${CMAKE_SOURCE_DIR}/${file})
  list(APPEND PRODUCT_FILES ${PRODUCT_DIR}/${name})
endforeach()
add_custom_target(product_files ALL DEPENDS ${PRODUCT_FILES})

# The release archive: the product folder as a user unpacks it.
set(RELEASE_ARCHIVE ${PRODUCT_DIR}/../Nubilux-${SUITE_RELEASE}.zip)
add_custom_target(release ALL
  COMMAND ${CMAKE_COMMAND} -E rm -f ${RELEASE_ARCHIVE}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${RELEASE_ARCHIVE} --format=zip Install.exe Install.ini uninstall.exe
          Nubilux.exe Nubilux.ini LIB/VB6STKIT.DLL
  WORKING_DIRECTORY ${PRODUCT_DIR}
  COMMENT "Packing ${RELEASE_ARCHIVE}")
add_dependencies(release install_exe uninstall_exe nubilux_exe vb6stkit product_files)

# Test tools: the window probe and the small window it is proven on.
add_executable(probe tools/probe/probe.cpp)
target_link_options(probe PRIVATE -municode)
target_compile_options(probe PRIVATE ${SUITE_WARNINGS})
target_link_libraries(probe PRIVATE ole32 uuid crypt32)
target_include_directories(probe PRIVATE ${CMAKE_SOURCE_DIR})
set_target_properties(probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)

# The benchmark's in-process timer of Nubilux's update.
add_executable(nubilux_bench tools/bench/nubilux_bench.cpp)
target_link_options(nubilux_bench PRIVATE -municode)
target_compile_options(nubilux_bench PRIVATE ${SUITE_WARNINGS})
target_link_libraries(nubilux_bench PRIVATE nubilux_win32)
set_target_properties(nubilux_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
# ... and its floor: a separate minimal program that only decodes and writes the bitmap.
add_executable(floor tools/bench/floor.cpp)
target_link_options(floor PRIVATE -municode)
target_link_libraries(floor PRIVATE ole32)
target_include_directories(floor PRIVATE ${CMAKE_SOURCE_DIR})
set_target_properties(floor PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)

add_executable(testwin WIN32 tools/testwin/testwin.cpp ${CMAKE_BINARY_DIR}/generated/manifests/asInvoker.rc)
target_link_options(testwin PRIVATE -municode -mwindows)
target_compile_options(testwin PRIVATE ${SUITE_WARNINGS})
target_link_libraries(testwin PRIVATE common_win32)
set_target_properties(testwin PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)

# The platform layer against the real API, under Wine.
add_executable(win32_tests
  tests/win32/attempt_process_test.cpp
  tests/win32/clock_zone_test.cpp
  tests/win32/deployment_test.cpp
  tests/win32/fetch_test.cpp
  tests/win32/form_test.cpp
  tests/win32/form_test.rc
  tests/win32/install_platform_test.cpp
  tests/win32/nubilux_seams_test.cpp
  tests/win32/power_test.cpp
  tests/win32/profile_store_test.cpp
  tests/win32/shortcut_test.cpp
  tests/win32/special_folder_test.cpp
  tests/win32/startup_test.cpp
  tests/win32/worker_test.cpp
)
target_link_libraries(win32_tests PRIVATE install_win32 nubilux_win32 GTest::gmock_main uuid ws2_32)
target_compile_definitions(win32_tests PRIVATE "SUITE_SOURCE_DIR=\"Z:${CMAKE_SOURCE_DIR}\"")
# Where the tests find the product folder, from their own folder.
file(RELATIVE_PATH PRODUCT_FROM_TESTS ${CMAKE_BINARY_DIR} ${PRODUCT_DIR})
string(REPLACE "/" "\\\\" PRODUCT_FROM_TESTS "${PRODUCT_FROM_TESTS}")
target_compile_definitions(win32_tests PRIVATE "PRODUCT_FROM_TESTS=L\"${PRODUCT_FROM_TESTS}\"")
add_dependencies(win32_tests vb6stkit nubilux_exe table_6_0_81_69 table_6_0_88_62 table_6_0_9_0 table_noversion
                 standard_1_0_0_0 bare_1_0_0_0 jpeg_standin)
target_compile_options(win32_tests PRIVATE ${SUITE_WARNINGS})
# They share one prefix and its system folder: one at a time. The e2e tests, each in a
# prefix of its own, may run beside them and beside each other.
# In a time zone off UTC, so that local time and UTC cannot be mistaken for each other.
gtest_discover_tests(win32_tests TEST_PREFIX "win32." DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                     PROPERTIES RESOURCE_LOCK wine_tier ENVIRONMENT "TZ=Asia/Tokyo")
# The user's place from each of these clocks (Wine's time zone follows TZ).
foreach(zone America/Los_Angeles America/New_York Pacific/Honolulu Europe/Moscow Asia/Kolkata
        Australia/Sydney America/Sao_Paulo Europe/Rome)
  add_test(NAME win32.ClockZone.${zone} COMMAND win32_tests --gtest_filter=ClockZone.TheClocksZone*)
  set_tests_properties(win32.ClockZone.${zone} PROPERTIES RESOURCE_LOCK wine_tier ENVIRONMENT "TZ=${zone}")
endforeach()

# Whole programs under Wine and Xvfb, driven by the probe. A 32-bit program's system32
# is Windows' 32-bit system folder, syswow64.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(SYSTEM_FOLDER syswow64)
else()
  set(SYSTEM_FOLDER system32)
endif()
file(GLOB E2E_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/test_*.py)
foreach(script ${E2E_TESTS})
  get_filename_component(name ${script} NAME_WE)
  add_test(NAME e2e.${name} COMMAND ${Python3_EXECUTABLE} -m unittest -v ${name}
           WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/tests/e2e)
  set_tests_properties(e2e.${name} PROPERTIES
    ENVIRONMENT "SUITE_BUILD_DIR=${CMAKE_BINARY_DIR};SUITE_PRODUCT_DIR=${PRODUCT_DIR};SUITE_SYSTEM_FOLDER=${SYSTEM_FOLDER}"
    TIMEOUT 600)
endforeach()

# Fixtures for the DLL-search test: a DLL to plant under system names, and a loader
# that searches the default way, which the test must catch.
add_library(planted SHARED tests/fixtures/planted.c)
add_executable(naive_loader tests/fixtures/naive_loader.c)
set_target_properties(planted naive_loader PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fixtures)

# Component DLLs for the installer's tests: fixture_component(<name> <entries> [a,b,c,d]).
function(fixture_component name entries)
  add_library(${name} SHARED tests/fixtures/component.c)
  target_compile_definitions(${name} PRIVATE ${entries})
  if(ARGC GREATER 2)
    target_sources(${name} PRIVATE tests/fixtures/component.rc)
    target_compile_definitions(${name} PRIVATE VERSION_COMMAS=${ARGV2})
  endif()
  target_link_options(${name} PRIVATE -Wl,--kill-at)
  set_target_properties(${name} PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fixtures)
endfunction()
fixture_component(table_6_0_81_69 TABLE_ENTRIES 6,0,81,69)
fixture_component(table_6_0_88_62 TABLE_ENTRIES 6,0,88,62)
fixture_component(table_6_0_9_0 TABLE_ENTRIES 6,0,9,0)
fixture_component(table_noversion TABLE_ENTRIES)
fixture_component(standard_1_0_0_0 STANDARD_ENTRIES 1,0,0,0)
fixture_component(bare_1_0_0_0 NO_ENTRIES 1,0,0,0)

# The tests' stand-ins, in-process COM servers of ours under a system class's id, in
# tools/<name>/: for the shell's per-monitor wallpaper object, which Wine lacks, and for
# Windows' JPEG decoder, which scales while it decodes where Wine's cannot.
function(com_standin name)
  add_library(${name} SHARED tools/${name}/standin.cpp tools/${name}/standin.def)
  target_compile_options(${name} PRIVATE ${SUITE_WARNINGS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ole32 uuid advapi32)
  target_link_options(${name} PRIVATE -Wl,--enable-stdcall-fixup)
  set_target_properties(${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name}
                        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
endfunction()
com_standin(wallpaper_standin)
com_standin(jpeg_standin)
