# SPDX-License-Identifier: GPL-3.0-or-later
# Helpers shared by the CMake files of the tree.

# hm_sources(VAR DIR): the .cpp files directly inside DIR (new files are picked
# up when the build runs again).
function(hm_sources var dir)
  file(GLOB _files CONFIGURE_DEPENDS ${dir}/*.cpp)
  set(${var} ${_files} PARENT_SCOPE)
endfunction()

# hm_library(NAME SOURCES...): a static library that may still be empty while
# its folder is being filled.
function(hm_library name)
  set(_src ${ARGN})
  if(NOT _src)
    set(_src ${CMAKE_BINARY_DIR}/hm_empty.cpp)
    if(NOT EXISTS ${_src})
      file(WRITE ${_src} "// placeholder for a library without sources yet\n")
    endif()
  endif()
  add_library(${name} STATIC ${_src})
endfunction()

# hm_test_dir(NAME DIR LIBS... [GUI|X11]): one GoogleTest executable from
# every *_test.cpp in DIR, registered with ctest test by test. GUI tests run on
# the offscreen platform, X11 tests on an X server of their own (xvfb-run,
# HM_XVFB_RUN); every test gets its own runtime folder for locks.
function(hm_test_dir name dir)
  cmake_parse_arguments(ARG "GUI;X11" "" "LIBS" ${ARGN})
  file(GLOB _files CONFIGURE_DEPENDS ${dir}/*_test.cpp)
  if(NOT _files)
    return()
  endif()
  add_executable(${name} ${_files})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} hm_test_support GTest::gtest GTest::gmock GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    HM_TEST_OUTPUT_DIR="${HM_OUTPUT_DIR}"
    HM_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  # GIO's in-memory settings: a test that reaches the desktop's pointer
  # settings (hidmousectl apply, the window's OK) never changes the desktop of
  # whoever runs the tests.
  # No desktop is named: the pointer settings are kept for the run unless a
  # test names one.
  set(_env "--unset=XDG_CURRENT_DESKTOP" "XDG_RUNTIME_DIR=${CMAKE_BINARY_DIR}/test-runtime" "GSETTINGS_BACKEND=memory")
  set(_launcher ${CMAKE_COMMAND} -E env)
  if(ARG_GUI)
    list(APPEND _env "QT_QPA_PLATFORM=offscreen")
  elseif(ARG_X11)
    list(APPEND _env "QT_QPA_PLATFORM=xcb")
    set(_launcher ${HM_XVFB_RUN} -a -s "-screen 0 1280x900x24" ${_launcher})
  endif()
  # The environment goes through a launcher: gtest_discover_tests flattens a
  # list given as the ENVIRONMENT property, which kept only its first entry.
  set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR "${_launcher};${_env}")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    PROPERTIES TIMEOUT 120)
endfunction()

# hm_add_fuzzer(FILE LIBS...): a libFuzzer executable named after FILE.
function(hm_add_fuzzer file)
  get_filename_component(_name ${file} NAME_WE)
  add_executable(${_name} ${file})
  target_link_libraries(${_name} PRIVATE ${ARGN})
  target_include_directories(${_name} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_link_options(${_name} PRIVATE -fsanitize=fuzzer)
  set_target_properties(${_name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
endfunction()
