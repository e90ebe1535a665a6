# The Win32 layer, the program and the tests that need real Windows (Wine).

file(GLOB FENDREL_WIN32_SOURCES CONFIGURE_DEPENDS
  app/*_win.cpp protection/*_win.cpp password/*_win.cpp platform/*_win.cpp)
list(FILTER FENDREL_WIN32_SOURCES EXCLUDE REGEX "main_win\\.cpp$")
add_library(fendrel_win32 STATIC ${FENDREL_WIN32_SOURCES})
target_link_libraries(fendrel_win32 PUBLIC fendrel_core
  comctl32 comdlg32 shell32 shlwapi advapi32 user32 gdi32 ole32 uuid)
target_compile_definitions(fendrel_win32 PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)

file(GLOB FENDREL_RESOURCES CONFIGURE_DEPENDS resources/*.rc)
add_executable(Fendrel WIN32 app/main_win.cpp ${FENDREL_RESOURCES})
target_link_libraries(Fendrel PRIVATE fendrel_win32)
set_target_properties(Fendrel PROPERTIES OUTPUT_NAME Fendrel)
# The released program keeps only the code it can reach: every function and
# object of its own code gets a section of its own, the linker drops the
# sections nothing uses and writes no symbols. The libraries are compiled the
# same way for it; the tests link them as they are, so only Fendrel.exe is
# trimmed.
set(FENDREL_TRIM_COMPILE "$<$<CONFIG:Release>:-ffunction-sections;-fdata-sections>")
target_compile_options(fendrel_core PRIVATE ${FENDREL_TRIM_COMPILE})
target_compile_options(fendrel_win32 PRIVATE ${FENDREL_TRIM_COMPILE})
target_compile_options(Fendrel PRIVATE ${FENDREL_TRIM_COMPILE})
target_link_options(Fendrel PRIVATE $<$<CONFIG:Release>:-Wl,--gc-sections -s>)

# Small helper programs the Wine tests start as "another process".
file(GLOB FENDREL_TEST_TOOLS CONFIGURE_DEPENDS tests/win32/tools/*.cpp)
foreach(tool_source ${FENDREL_TEST_TOOLS})
  get_filename_component(tool ${tool_source} NAME_WE)
  add_executable(${tool} ${tool_source})
  target_link_libraries(${tool} PRIVATE fendrel_win32)
  list(APPEND FENDREL_TEST_TOOL_TARGETS ${tool})
endforeach()
# The other process of a drop from the Linux desktop, a Unix program Wine starts.
configure_file(tests/win32/tools/xdnd_drag.py ${CMAKE_BINARY_DIR}/xdnd_drag.py COPYONLY)

file(GLOB FENDREL_WIN32_TESTS CONFIGURE_DEPENDS tests/win32/*.cpp)
if(FENDREL_WIN32_TESTS)
  # The tests carry the program's resources (icon, pictures, manifest) as the program does.
  add_executable(win32_tests ${FENDREL_WIN32_TESTS} ${FENDREL_RESOURCES} tests/core/test_support.cpp tests/core/fakes.cpp)
  target_compile_definitions(win32_tests PRIVATE FENDREL_WIN32_TESTS)
  target_link_libraries(win32_tests PRIVATE fendrel_win32 GTest::gtest_main)
  if(FENDREL_TEST_TOOL_TARGETS)
    add_dependencies(win32_tests Fendrel ${FENDREL_TEST_TOOL_TARGETS})
  endif()
  # The tests find the program and the helper programs beside themselves.
  add_test(NAME win32_tests COMMAND win32_tests)
  # They share the real system folder, registry and desktop: one at a time.
  set_tests_properties(win32_tests PROPERTIES RUN_SERIAL TRUE)
endif()

# The packages' test: it installs Fendrel, so scripts/test-packages.sh runs it
# in a Wine prefix made for the run, never ctest in the shared one.
add_executable(package_tests tests/packages/package_test_win.cpp tests/win32/e2e_driver_win.cpp
  tests/win32/machine_state_win.cpp tests/win32/process_support_win.cpp tests/win32/process_windows_win.cpp
  tests/core/test_support.cpp)
target_compile_definitions(package_tests PRIVATE FENDREL_WIN32_TESTS)
target_link_libraries(package_tests PRIVATE fendrel_win32 GTest::gtest_main)
add_dependencies(package_tests hold_probe)

include(cmake/Packaging.cmake)

# --- Benchmarks (bench/): programs, not tests.
add_subdirectory(bench)
