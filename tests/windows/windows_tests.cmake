# The Windows build's tests, run on the Linux build machine:
#   windows.pe_format   tarvelix.exe is a 64-bit PE that needs no DLL beyond Windows' own
#   windows.readme_example  the README shows tests/windows/example.bat as it is
#   windows.<name>      each tests/windows/<name>.bat, run by Wine's cmd.exe beside tarvelix.exe
#                       and tvset.cmd; its transcript must equal <name>.expected
#   windows.doc_examples  every batch example of the manual (docs/*.md) prints what it shows
#   windows.console_ask  replies typed at Wine's console on a pseudo-terminal: a line over 255
#                       characters answers one question only
#   windows.package     cpack makes the release zip: stripped tarvelix.exe with its version
#                       resource, tvset.cmd, README.txt, the HTML manual and LICENSE, and its
#                       SHA-256 file; the version agrees with CHANGELOG.md's newest section
# All batch tests share one Wine prefix inside the build tree, created on first use.
find_program(TARVELIX_WINE wine REQUIRED)
if(NOT CMAKE_OBJDUMP)
  find_program(CMAKE_OBJDUMP x86_64-w64-mingw32-objdump REQUIRED)
endif()

enable_testing()
set(WINDOWS_TEST_DIR ${CMAKE_SOURCE_DIR}/tests/windows)

# A test program that calls each platform operation on request.
add_executable(platform_probe ${WINDOWS_TEST_DIR}/platform_probe.cpp)
target_link_libraries(platform_probe PRIVATE tarvelix_platform)
target_link_options(platform_probe PRIVATE -static)
# The chdir and drvrdy handlers in one process, to watch what they leave behind.
add_executable(drive_probe ${WINDOWS_TEST_DIR}/drive_probe.cpp)
target_link_libraries(drive_probe PRIVATE tarvelix_core tarvelix_platform)
target_link_options(drive_probe PRIVATE -static)

add_test(NAME windows.pe_format
         COMMAND bash ${WINDOWS_TEST_DIR}/check_pe.sh ${CMAKE_OBJDUMP} $<TARGET_FILE:tarvelix>)

add_test(NAME windows.readme_example
         COMMAND bash ${WINDOWS_TEST_DIR}/check_readme_example.sh ${CMAKE_SOURCE_DIR}/README.md
                 ${WINDOWS_TEST_DIR}/example.bat)

# The manual's examples run in a Wine prefix of their own: they write to the registry.
file(GLOB TARVELIX_MANUAL CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/*.md)
add_test(NAME windows.doc_examples
         COMMAND bash ${WINDOWS_TEST_DIR}/doc_examples.sh ${TARVELIX_WINE}
                 ${CMAKE_BINARY_DIR}/doc-wine-prefix ${CMAKE_BINARY_DIR}/doc-runs
                 $<TARGET_FILE:tarvelix> ${CMAKE_SOURCE_DIR}/package/tvset.cmd ${TARVELIX_MANUAL})
set_tests_properties(windows.doc_examples PROPERTIES TIMEOUT 900)

add_test(NAME windows.console_ask
         COMMAND bash ${WINDOWS_TEST_DIR}/console_ask.sh ${TARVELIX_WINE}
                 ${CMAKE_BINARY_DIR}/wine-prefix ${CMAKE_BINARY_DIR}/batch-runs
                 $<TARGET_FILE:tarvelix>)
set_tests_properties(windows.console_ask PROPERTIES TIMEOUT 300)

add_test(NAME windows.package
         COMMAND bash ${WINDOWS_TEST_DIR}/check_package.sh ${CMAKE_COMMAND} ${CMAKE_CPACK_COMMAND}
                 ${CMAKE_OBJDUMP} ${CMAKE_RC_COMPILER} ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR}
                 ${PROJECT_VERSION})

file(GLOB WINDOWS_BATCH_TESTS CONFIGURE_DEPENDS ${WINDOWS_TEST_DIR}/*.bat)
foreach(script ${WINDOWS_BATCH_TESTS})
  get_filename_component(name ${script} NAME_WE)
  add_test(NAME windows.${name}
           COMMAND bash ${WINDOWS_TEST_DIR}/run_batch.sh ${TARVELIX_WINE} ${script}
                   ${CMAKE_BINARY_DIR}/wine-prefix ${CMAKE_BINARY_DIR}/batch-runs
                   $<TARGET_FILE:tarvelix> ${CMAKE_SOURCE_DIR}/package/tvset.cmd
                   $<TARGET_FILE:platform_probe> $<TARGET_FILE:drive_probe>)
  set_tests_properties(windows.${name} PROPERTIES TIMEOUT 600)
endforeach()
