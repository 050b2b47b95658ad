# Installation. The programs live in one self-contained folder, the install
# prefix (by default /opt/hidmouse): hidmouse, hidmousectl, the factory
# config.bin and str.ini, and Skins/. Where that folder cannot be written,
# the programs keep the user's files in $XDG_CONFIG_HOME/hidmouse
# (src/platform/data_folder.h). The desktop's own files go where desktops
# look for them: HM_SYSTEM_PREFIX (/usr/local; /usr in the package) for the
# desktop file, icon, metainfo, manual pages and the command links,
# HM_AUTOSTART_DIR for the login entry, HM_UDEV_RULES_DIR for the udev rule.

set(HM_SYSTEM_PREFIX /usr/local CACHE PATH
    "Prefix of the desktop file, icon, metainfo, manual pages and command links (/usr in the package)")
set(HM_AUTOSTART_DIR /etc/xdg/autostart CACHE PATH "Folder of the entry that starts hidmouse at login")
set(HM_UDEV_RULES_DIR /etc/udev/rules.d CACHE PATH
    "Folder of the udev rule (/usr/lib/udev/rules.d in the package)")

set(_dist ${PROJECT_SOURCE_DIR}/dist)
set(_gen ${CMAKE_BINARY_DIR}/dist)
set(_factory ${CMAKE_BINARY_DIR}/factory)
set(_share ${HM_SYSTEM_PREFIX}/share)
set(_data_permissions OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

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
add_custom_target(hm_install_files ALL DEPENDS ${_factory_files} ${_man_pages})

configure_file(${_dist}/app.metainfo.xml.in ${_gen}/${HM_APP_ID}.metainfo.xml @ONLY)

# ---- the program folder
install(TARGETS hidmousectl RUNTIME DESTINATION .)
install(FILES ${_factory_files} DESTINATION . PERMISSIONS ${_data_permissions})
# Marks the folder as an installed copy (src/platform/data_folder.h): even
# root then keeps its files in its own folder and the factory ones stay.
file(WRITE ${_factory}/.installed
  "hidmouse: the programs in this folder keep their settings in $XDG_CONFIG_HOME/hidmouse\n")
install(FILES ${_factory}/.installed DESTINATION . PERMISSIONS ${_data_permissions})
set(_programs hidmousectl)
if(TARGET hidmouse)
  install(TARGETS hidmouse RUNTIME DESTINATION .)
  install(DIRECTORY ${_factory}/Skins DESTINATION .
    FILE_PERMISSIONS ${_data_permissions}
    DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
                          WORLD_EXECUTE)
  list(APPEND _programs hidmouse)
endif()

# ---- the commands on the PATH: links into the program folder. The folder is
# the prefix of this install (cmake --install --prefix may change it), so the
# links and the desktop files are made when installing.
install(CODE "
  foreach(program ${_programs})
    set(link \"\$ENV{DESTDIR}${HM_SYSTEM_PREFIX}/bin/\${program}\")
    message(STATUS \"Installing: \${link} -> \${CMAKE_INSTALL_PREFIX}/\${program}\")
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}${HM_SYSTEM_PREFIX}/bin\")
    file(CREATE_LINK \"\${CMAKE_INSTALL_PREFIX}/\${program}\" \"\${link}\" SYMBOLIC)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${link}\")
  endforeach()
")

# ---- the desktop: menu entry, login entry, icon, metainfo
if(TARGET hidmouse)
  install(CODE "
    set(HM_APP_ID \"${HM_APP_ID}\")
    set(HM_PROGRAM_DIR \"\${CMAKE_INSTALL_PREFIX}\")
    configure_file(\"${_dist}/app.desktop.in\" \"${_gen}/applications/${HM_APP_ID}.desktop\" @ONLY)
    configure_file(\"${_dist}/autostart.desktop.in\" \"${_gen}/autostart/${HM_APP_ID}.desktop\" @ONLY)
  ")
  install(FILES ${_gen}/applications/${HM_APP_ID}.desktop DESTINATION ${_share}/applications
    PERMISSIONS ${_data_permissions})
  install(FILES ${_gen}/autostart/${HM_APP_ID}.desktop DESTINATION ${HM_AUTOSTART_DIR}
    PERMISSIONS ${_data_permissions})
  install(FILES ${_dist}/app.svg DESTINATION ${_share}/icons/hicolor/scalable/apps
    RENAME ${HM_APP_ID}.svg PERMISSIONS ${_data_permissions})
  install(FILES ${_gen}/${HM_APP_ID}.metainfo.xml DESTINATION ${_share}/metainfo
    PERMISSIONS ${_data_permissions})
endif()

# ---- the mouse's hidraw nodes for the user at the seat; the manual pages
install(FILES ${_dist}/70-hidmouse.rules DESTINATION ${HM_UDEV_RULES_DIR} PERMISSIONS ${_data_permissions})
install(FILES ${_man_pages} DESTINATION ${_share}/man/man1 PERMISSIONS ${_data_permissions})

include(${CMAKE_CURRENT_LIST_DIR}/Package.cmake)
