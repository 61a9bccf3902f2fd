# The Debian package, made by scripts/package.sh with `cpack -G DEB` from a
# build folder that holds the programs. It packs the component "vantrel"
# only, so install rules added elsewhere (tools, tests) stay out of it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${VANTREL_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "VANTREL developers")
set(CPACK_PACKAGE_CONTACT "VANTREL developers <developers@vantrel.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://vantrel.org/")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "player for dash-camera recordings with map and G-sensor chart")
# Lines of the extended description as the control file shows them (at
# most 80 columns); an empty string is a paragraph break.
set(description_lines
    "VANTREL opens a memory card, a folder or a single recording of a dash"
    "camera, lists the recordings grouped into continuous drives and plays the"
    "front camera and its rear companion side by side. In step with the"
    "picture it shows the position and route on a map, a compass, the speed"
    "and a three-axis G-sensor chart. Routes export as KML and GPX, and recordings"
    "can be deleted, unlocked and copied."
    ""
    "The package also holds vantrel-cli, which reads the GPS and G-sensor data,"
    "lists a card and exports routes and clips without a display.")
list(JOIN description_lines "\n" CPACK_PACKAGE_DESCRIPTION)

set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};VANTREL;vantrel;/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The linked libraries come from dpkg-shlibdeps (the browser engine's
# entry there also brings its helper process). The player loads the
# media-player library and its plugins at run time, so they are no link.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(TARGET vantrel)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libvlc5, vlc-plugin-base, vlc-plugin-video-output")
  # The Chinese, Japanese and Korean string tables need fonts with those
  # scripts, the Cyrillic and Central European ones a font with those
  # letters; Qt's own dialogs speak the chosen language with Qt's
  # translations.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, fonts-dejavu-core, qt6-translations-l10n")
endif()

include(CPack)
