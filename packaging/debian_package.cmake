# The Debian package: `cpack -G DEB` (or plain `cpack`) in a build folder configured with
# -DCMAKE_INSTALL_PREFIX=/usr builds nimbel_<version>_<arch>.deb from the install rules.

# The changelog, the AppStream releases and the manual page's footer name each version; a new project
# version needs its entry in all three.
function(nimbel_require_version file text)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${file}")
  file(READ "${file}" content)
  string(FIND "${content}" "${text}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "packaging/${file} has no entry for version ${PROJECT_VERSION} (${text})")
  endif()
endfunction()
nimbel_require_version(debian/changelog "nimbel (${PROJECT_VERSION})")
nimbel_require_version(org.nimbel.Nimbel.metainfo.xml "<release version=\"${PROJECT_VERSION}\"")
nimbel_require_version(nimbel.1 "\"Nimbel ${PROJECT_VERSION}\"")

set(NIMBEL_PACKAGE_MAINTAINER "Nimbel developers <developers@nimbel.invalid>" CACHE STRING
    "The Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME nimbel)
set(CPACK_PACKAGE_VENDOR "Nimbel developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configure gaming mice and other USB gaming peripherals")
# The extended description under the summary; CPack indents its lines.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Nimbel configures a family of USB HID gaming peripherals that share one
firmware command protocol: mice by cable or through a wireless receiver,
keyboards, lighted mouse pads and a headset. It edits DPI stages, polling
rate, sleep timers, buttons, macros, shooting patterns and lighting, keeps
every setting in per-device profiles and writes them back to the device.
.
The package installs a udev rule that lets the user at the seat open the
devices, a menu entry, and an autostart entry that keeps Nimbel in the
notification area of each desktop session.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${NIMBEL_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The autostart entry and the udev rule have absolute destinations; DESTDIR keeps them in the package's
# staging tree instead of the building machine's /etc and /lib.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)

# dpkg-shlibdeps finds the libraries the program links. It cannot see what Qt loads at run time: the
# skin's icons are SVG, drawn by the image plug-in in libqt6svg6. The toolkit's own Chinese texts and a
# font with Chinese glyphs are needed only for that language.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-translations-l10n, fonts-noto-cjk")

# One script serves as postinst and postrm: it tells the two apart by the action dpkg passes it.
set(control_folder "${CMAKE_CURRENT_BINARY_DIR}/debian")
foreach(script postinst postrm)
  configure_file(debian/udev-reload "${control_folder}/${script}" COPYONLY)
endforeach()
# The autostart entry is the package's one file under /etc: dpkg keeps a user's edits to it on upgrade.
file(CONFIGURE OUTPUT "${control_folder}/conffiles" CONTENT "${NIMBEL_AUTOSTART_DIR}/nimbel.desktop\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${control_folder}/postinst" "${control_folder}/postrm"
                                      "${control_folder}/conffiles")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# A package for another prefix would put the program under /usr and the autostart entry under
# /usr/etc; cpack stops instead.
configure_file(debian/cpack_project_config.cmake.in "${CMAKE_CURRENT_BINARY_DIR}/cpack_project_config.cmake"
               @ONLY)
set(CPACK_PROJECT_CONFIG_FILE "${CMAKE_CURRENT_BINARY_DIR}/cpack_project_config.cmake")

include(CPack)
