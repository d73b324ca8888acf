# The Debian package: `cpack -G DEB` in the build folder makes zuvotool_<version>_<arch>.deb of
# everything `cmake --install` installs, its dependencies found from the binaries.
set(CPACK_PACKAGE_NAME zuvotool)
set(CPACK_PACKAGE_VENDOR ZUVO)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "setup and commissioning tool for the ZUVO linear actuator")
# Lines of at most 72 characters: Debian's tools show them indented.
set(CPACK_PACKAGE_DESCRIPTION
    "ZuvoTool talks to the controller of a ZUVO electric linear actuator
through a USB-to-serial adapter: it shows the cylinder live, reads,
edits, sends, saves and loads the parameter block, sets the zero
position, calibrates the analog output, tests the relays, checks the
reed-switch sectors, records the travel and updates the firmware. It
explains why a serial port does not open. zuvo-sim, a simulated
controller on a pseudo-terminal, is included for trying the tool
without hardware.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "ZuvoTool developers <zuvotool@zuvo.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.zuvo.example/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so not found from the binaries: the window system plugins and the font
# the window is laid out for.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_GENERATOR DEB)
include(CPack)
