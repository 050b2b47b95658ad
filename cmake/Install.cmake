# SPDX-License-Identifier: GPL-3.0-or-later
# Installation, in the layout of a distribution (the package installs under
# /usr, cmake --install by default under /usr/local):
#   PREFIX/lib/hidmouse/   the program folder: hidmouse, hidmousectl, the
#                          marker that makes it an installed copy, and links
#                          to the factory config.bin, str.ini and Skins/
#   PREFIX/share/hidmouse/ those factory files (they are the same on every
#                          architecture)
#   PREFIX/bin/            hidmouse and hidmousectl, links into lib/hidmouse
#   PREFIX/share/          desktop file, session-bus service, icon, metainfo,
#                          manual pages, the copyright file and the changelog
# The programs find their factory files beside themselves (the commands
# resolve to the program folder), and keep the user's files in
# $XDG_CONFIG_HOME/hidmouse (src/platform/data_folder.h). The login entry goes
# to HM_AUTOSTART_DIR and the udev rule to HM_UDEV_RULES_DIR, where the
# desktop and udev look for them.

set(HM_AUTOSTART_DIR /etc/xdg/autostart CACHE PATH "Folder of the entry that starts hidmouse at login")
set(HM_UDEV_RULES_DIR /etc/udev/rules.d CACHE PATH
    "Folder of the udev rule (/usr/lib/udev/rules.d in the package)")
set(HM_PROGRAM_DIR lib/hidmouse)
set(HM_FACTORY_DIR share/hidmouse)
set(HM_SCREENSHOT_BASE https://raw.githubusercontent.com/hidmouse/hidmouse/v${PROJECT_VERSION}/docs CACHE STRING
    "Web folder of the screenshots the metainfo names (docs/ of the release's sources)")

set(_dist ${PROJECT_SOURCE_DIR}/dist)
set(_gen ${CMAKE_BINARY_DIR}/dist)
set(_factory ${CMAKE_BINARY_DIR}/factory)
set(_share share)
set(_doc ${_share}/doc/hidmouse)
set(_data_permissions OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

# The newest entry of the package's changelog gives the package's revision,
# its maintainer and the release date in the metainfo; it must be the
# entry of this version.
file(STRINGS ${_dist}/deb/changelog _changelog)
list(GET _changelog 0 _entry)
if(NOT _entry MATCHES "^hidmouse \\(([^)-]+)-([^)]+)\\)")
  message(FATAL_ERROR "dist/deb/changelog: the first line is not an entry: ${_entry}")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "dist/deb/changelog: the newest entry is for ${CMAKE_MATCH_1}, the project is ${PROJECT_VERSION}")
endif()
set(HM_DEBIAN_REVISION ${CMAKE_MATCH_2})
list(FILTER _changelog INCLUDE REGEX "^ -- ")
list(GET _changelog 0 _trailer)
if(NOT _trailer MATCHES "^ -- (.+>)  [A-Z][a-z][a-z], ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9]+) ")
  message(FATAL_ERROR "dist/deb/changelog: the newest entry's trailer is malformed: ${_trailer}")
endif()
set(HM_MAINTAINER "${CMAKE_MATCH_1}")
set(_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND _months ${CMAKE_MATCH_3} _month)
math(EXPR _month "${_month} + 1" OUTPUT_FORMAT DECIMAL)
if(_month LESS 10)
  set(_month 0${_month})
endif()
set(HM_RELEASE_DATE ${CMAKE_MATCH_4}-${_month}-${CMAKE_MATCH_2})

# What is installed beside the programs is drawn afresh into factory/, not
# taken from bin/: running the build's programs saves into bin/.
add_custom_command(
  OUTPUT ${_factory}/config.bin
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_factory}
  COMMAND hm_factory_config ${_factory}/config.bin
  DEPENDS hm_factory_config
  COMMENT "Writing the factory config.bin to install"
  VERBATIM)
set(_factory_files ${_factory}/config.bin)
if(TARGET skingen)
  add_custom_command(
    OUTPUT ${_factory}/str.ini
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${_factory}/Skins
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:skingen> ${_factory}
    DEPENDS skingen
    COMMENT "Drawing the skins and the factory str.ini to install"
    VERBATIM)
  list(APPEND _factory_files ${_factory}/str.ini)
endif()

# The manual pages, compressed as Debian keeps them.
set(_man_pages)
foreach(page hidmouse.1 hidmousectl.1)
  add_custom_command(
    OUTPUT ${_gen}/man/${page}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${_dist}/man/${page} ${_gen}/man/${page}
    COMMAND gzip -9 -n -f ${_gen}/man/${page}
    DEPENDS ${_dist}/man/${page}
    COMMENT "Compressing the manual page ${page}"
    VERBATIM)
  list(APPEND _man_pages ${_gen}/man/${page}.gz)
endforeach()
# The package's changelog, compressed as Debian keeps it.
add_custom_command(
  OUTPUT ${_gen}/changelog.Debian.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${_dist}/deb/changelog ${_gen}/changelog.Debian
  COMMAND gzip -9 -n -f ${_gen}/changelog.Debian
  DEPENDS ${_dist}/deb/changelog
  VERBATIM)
add_custom_target(hm_install_files ALL DEPENDS ${_factory_files} ${_man_pages} ${_gen}/changelog.Debian.gz)

configure_file(${_dist}/app.metainfo.xml.in ${_gen}/${HM_APP_ID}.metainfo.xml @ONLY)

# ---- the program folder
install(TARGETS hidmousectl RUNTIME DESTINATION ${HM_PROGRAM_DIR})
install(FILES ${_factory_files} DESTINATION ${HM_FACTORY_DIR} PERMISSIONS ${_data_permissions})
# Marks the folder as an installed copy (src/platform/data_folder.h): even
# root then keeps its files in its own folder and the factory ones stay.
file(WRITE ${_factory}/.installed
  "hidmouse: the programs in this folder keep their settings in $XDG_CONFIG_HOME/hidmouse\n")
install(FILES ${_factory}/.installed DESTINATION ${HM_PROGRAM_DIR} PERMISSIONS ${_data_permissions})
set(_programs hidmousectl)
if(TARGET hidmouse)
  install(TARGETS hidmouse RUNTIME DESTINATION ${HM_PROGRAM_DIR})
  install(DIRECTORY ${_factory}/Skins DESTINATION ${HM_FACTORY_DIR}
    FILE_PERMISSIONS ${_data_permissions}
    DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
                          WORLD_EXECUTE)
  list(APPEND _programs hidmouse)
endif()

# ---- relative links, so that they hold under any prefix and DESTDIR: the
# commands on the PATH into the program folder, and the factory files into
# the program folder, where the programs look for them
file(MAKE_DIRECTORY ${_gen}/bin ${_gen}/program)
foreach(program ${_programs})
  file(CREATE_LINK ../${HM_PROGRAM_DIR}/${program} ${_gen}/bin/${program} SYMBOLIC)
  install(FILES ${_gen}/bin/${program} DESTINATION bin)
endforeach()
set(_factory_names ${_factory_files})
list(TRANSFORM _factory_names REPLACE ".*/" "")
if(TARGET hidmouse)
  list(APPEND _factory_names Skins)
endif()
foreach(name ${_factory_names})
  file(CREATE_LINK ../../${HM_FACTORY_DIR}/${name} ${_gen}/program/${name} SYMBOLIC)
  install(FILES ${_gen}/program/${name} DESTINATION ${HM_PROGRAM_DIR})
endforeach()

# ---- the desktop: menu entry, login entry, icon, metainfo
if(TARGET hidmouse)
  # Both start the command on the PATH, so they hold under any prefix.
  configure_file(${_dist}/app.desktop.in ${_gen}/applications/${HM_APP_ID}.desktop @ONLY)
  configure_file(${_dist}/autostart.desktop.in ${_gen}/autostart/${HM_APP_ID}.desktop @ONLY)
  install(FILES ${_gen}/applications/${HM_APP_ID}.desktop DESTINATION ${_share}/applications
    PERMISSIONS ${_data_permissions})
  install(FILES ${_gen}/autostart/${HM_APP_ID}.desktop DESTINATION ${HM_AUTOSTART_DIR}
    PERMISSIONS ${_data_permissions})
  install(FILES ${_dist}/app.svg DESTINATION ${_share}/icons/hicolor/scalable/apps
    RENAME ${HM_APP_ID}.svg PERMISSIONS ${_data_permissions})
  install(FILES ${_gen}/${HM_APP_ID}.metainfo.xml DESTINATION ${_share}/metainfo
    PERMISSIONS ${_data_permissions})
  # The session bus starts the program for the menu entry (DBusActivatable):
  # it starts in the tray, owns its name and answers the bus's Activate call
  # by showing the window. The bus wants the absolute path.
  set(HM_INSTALLED_PROGRAM ${CMAKE_INSTALL_PREFIX}/bin/hidmouse)
  configure_file(${_dist}/app.service.in ${_gen}/dbus-1/${HM_APP_ID}.service @ONLY)
  install(FILES ${_gen}/dbus-1/${HM_APP_ID}.service DESTINATION ${_share}/dbus-1/services
    PERMISSIONS ${_data_permissions})
endif()

# ---- the mouse's hidraw nodes for the user at the seat; the manual pages
install(FILES ${_dist}/70-hidmouse.rules DESTINATION ${HM_UDEV_RULES_DIR} PERMISSIONS ${_data_permissions})
install(FILES ${_man_pages} DESTINATION ${_share}/man/man1 PERMISSIONS ${_data_permissions})
# ---- the licence (GPL-3.0-or-later; the copyright file names it and those
# of the libraries the programs carry) and the changelog
install(FILES ${_dist}/deb/copyright ${_gen}/changelog.Debian.gz DESTINATION ${_doc}
  PERMISSIONS ${_data_permissions})
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  # The package's answers to lintian, each with its reason.
  install(FILES ${_dist}/deb/lintian-overrides DESTINATION ${_share}/lintian/overrides RENAME hidmouse
    PERMISSIONS ${_data_permissions})
endif()

include(${CMAKE_CURRENT_LIST_DIR}/Package.cmake)
