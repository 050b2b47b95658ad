# SPDX-License-Identifier: GPL-3.0-or-later
# The .deb of the installed layout (make deb: the package preset, then
# cpack). Its shared-library dependencies (Qt 6 Widgets, libudev, GLib, the
# C++ runtime) are read off the programs by dpkg-shlibdeps; what they load
# without linking is listed by hand.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME hidmouse)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE ${HM_DEBIAN_REVISION})
set(CPACK_PACKAGE_VENDOR "hidmouse developers")
set(CPACK_PACKAGE_CONTACT "${HM_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${HM_MAINTAINER}")
# No Homepage field until the project has one.
# The synopsis, then the long description in lines as dpkg shows them
# (cpack indents each line and turns an empty one into " .").
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "configuration tool for a programmable USB gaming mouse
Sets the button functions in two modes, the report rate, four DPI stages,
the LED lighting and up to twelve on-device macros of a programmable USB
gaming mouse (04d9:a09f), writes them to the mouse over HID and shows the
mouse's own changes from the system tray.

hidmousectl applies, shows, exports and imports the same settings from a
shell. A udev rule gives the user at the seat access to the mouse.")
# The staging install keeps the absolute folders (/usr/share, /etc/xdg, ...)
# beside the program folder.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window reaches Qt's native interface through Qt's private headers (the
# taskbar hint under KWin Wayland), which hold for one Qt release only. The X
# server's pointer settings open libxcb-xinput on first use, which the
# package's shared-library scan cannot see.
if(TARGET hidmouse)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-base-abi (= ${Qt6Core_VERSION}), libxcb-xinput0")
endif()
# Wayland sessions want Qt's Wayland plug-in (X11's comes with libqt6gui6);
# GNOME's schema carries the desktop's pointer settings; the skins' fonts;
# Qt's own texts (message box buttons, the colour chooser) in Chinese.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "qt6-wayland, gsettings-desktop-schemas, fonts-liberation, fonts-wqy-zenhei, qt6-translations-l10n")

# The login entry lives in /etc: a file the user may change, kept on upgrade.
set(_control ${CMAKE_BINARY_DIR}/dist/deb)
set(_conffiles "")
if(HM_AUTOSTART_DIR MATCHES "^/etc/" AND TARGET hidmouse)
  string(APPEND _conffiles "${HM_AUTOSTART_DIR}/${HM_APP_ID}.desktop\n")
endif()
if(HM_UDEV_RULES_DIR MATCHES "^/etc/")
  string(APPEND _conffiles "${HM_UDEV_RULES_DIR}/70-hidmouse.rules\n")
endif()
file(WRITE ${_control}/conffiles "${_conffiles}")
file(COPY ${PROJECT_SOURCE_DIR}/dist/deb/postinst DESTINATION ${_control}
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${_control}/postinst;${_control}/conffiles")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# A package of a build made for a manual install would put everything under
# /usr/local: cpack refuses it (the package preset sets /usr).
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/CPackCheck.cmake)
file(WRITE ${CPACK_PROJECT_CONFIG_FILE} "
if(NOT \"${CMAKE_INSTALL_PREFIX}\" STREQUAL \"/usr\")
  message(FATAL_ERROR \"this build installs under ${CMAKE_INSTALL_PREFIX}: build the package with 'make deb' (cmake --preset package)\")
endif()
")

include(CPack)
