# The Debian package: everything the components' install rules install, under /usr, in one
# package named nuvrel. scripts/package builds it; tests/package checks what it holds.

set(NUVREL_PACKAGE_MAINTAINER "Nuvrel developers <nuvrel@example.org>" CACHE STRING
    "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME nuvrel)
set(CPACK_PACKAGE_VENDOR Nuvrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${NUVREL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The build keeps its debug information; the package does not.
set(CPACK_STRIP_FILES TRUE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${NUVREL_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Program Genesis ROM images into Velk series flash cartridges")
# CPack puts the summary first and indents this text; an empty line separates paragraphs.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "\
Nuvrel loads Sega Genesis / Mega Drive ROM images into a USB flash-cartridge
device of the Velk series, reads them back, manages the cartridge's save RAM,
shows ROM headers and applies Game Genie and address:data patches.

The package holds the desktop program (Nuvrel), the command-line tool
(nuvrel-cli), the device library libvelk_series with its header and pkg-config
file, the udev rule that gives the user at the seat access to the device, and
velk-sim, a virtual device to try the programs without hardware.")

# dpkg-shlibdeps declares the libraries the programs link; what is loaded at run time without
# being linked is declared by hand: the SVG icon engine of Qt.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
if(TARGET Nuvrel)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS libqt6svg6)
endif()

# postinst and postrm reload the udev rules; triggers has ldconfig see the library.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_LIST_DIR}/debian/postinst
    ${CMAKE_CURRENT_LIST_DIR}/debian/postrm
    ${CMAKE_CURRENT_LIST_DIR}/debian/triggers)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)

include(CPack)
