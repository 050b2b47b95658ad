# SPDX-License-Identifier: GPL-3.0-or-later
# The hardening a distribution builds its packages with (HM_HARDENING, on in
# the release and package presets): stack protector, fortified libc calls,
# format-string errors, read-only relocations bound at start-up, and a
# position-independent executable. The flags come from dpkg-buildflags where
# it exists, so the package gets what Debian's own packages get; elsewhere
# from the same list written out. Stack-clash and control-flow protection,
# which newer dpkg-buildflags add too, are added where the compiler has them.
# The optimisation stays the build type's.

set(_flags -fstack-protector-strong -Wformat -Werror=format-security)
set(_defines -D_FORTIFY_SOURCE=2)
set(_link -Wl,-z,relro -Wl,-z,now)
find_program(HM_DPKG_BUILDFLAGS dpkg-buildflags)
mark_as_advanced(HM_DPKG_BUILDFLAGS)
if(HM_DPKG_BUILDFLAGS)
  set(_env ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all "DEB_CXXFLAGS_MAINT_STRIP=-g -O2"
           "DEB_CPPFLAGS_MAINT_STRIP=-Wdate-time")
  foreach(kind CXXFLAGS CPPFLAGS LDFLAGS)
    # Run from the source folder: its -ffile-prefix-map then names the tree.
    execute_process(COMMAND ${_env} ${HM_DPKG_BUILDFLAGS} --get ${kind}
      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
      OUTPUT_VARIABLE _out OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(_out UNIX_COMMAND "${_out}")
    set(_${kind} ${_out})
  endforeach()
  set(_flags ${_CXXFLAGS})
  set(_defines ${_CPPFLAGS})
  set(_link ${_LDFLAGS})
endif()

include(CheckCXXCompilerFlag)
foreach(flag -fstack-clash-protection -fcf-protection)
  string(MAKE_C_IDENTIFIER "HM_HAS${flag}" _has)
  check_cxx_compiler_flag(${flag} ${_has})
  if(${_has} AND NOT flag IN_LIST _flags)
    list(APPEND _flags ${flag})
  endif()
endforeach()
add_compile_options(${_flags} ${_defines})
add_link_options(${_link})
include(CheckPIESupported)
check_pie_supported(LANGUAGES CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
string(REPLACE ";" " " _shown "${_flags};${_defines};${_link}")
message(STATUS "Hardening: ${_shown} PIE")
