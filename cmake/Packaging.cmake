# SPDX-FileCopyrightText: 2026 The Nuvrel developers
# SPDX-License-Identifier: GPL-3.0-or-later

# The Debian packages: one per install component, all from one build under /usr.
#   libvelk-series0     library   the shared library (named after its SONAME) and the udev rule
#   libvelk-series-dev  development  header, .so link, pkg-config file
#   nuvrel              program   the desktop program, its menu entry, icon, AppStream data, manual
#   nuvrel-cli          cli       the command-line tool, its manual page and bash completion
#   velk-sim            simulator the virtual device and its manual page
# scripts/package builds them; tests/package checks them with lintian.

set(nuvrel_library_package libvelk-series0)
set(nuvrel_packages
    library ${nuvrel_library_package}
    development libvelk-series-dev
    simulator velk-sim)
if(TARGET nuvrel-cli)
    list(APPEND nuvrel_packages cli nuvrel-cli)
endif()
if(TARGET Nuvrel)
    list(APPEND nuvrel_packages program nuvrel)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME nuvrel)
set(CPACK_PACKAGE_VENDOR Nuvrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${NUVREL_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The build keeps its debug information; the packages do not.
set(CPACK_STRIP_FILES TRUE)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${NUVREL_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SOURCE nuvrel)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${NUVREL_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

# The library's shlibs file lets packages built against it depend on this version or a later one.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(nuvrel_needs_library "${nuvrel_library_package} (>= ${PROJECT_VERSION})")
# dpkg-shlibdeps runs in each component's staging folder and must find libvelk_series.so.0 in the
# library's one; it finds no shlibs file there, so the programs name the library themselves, as
# the shlibs file would.
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "../library${CMAKE_INSTALL_LIBDIR}")
else()
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
        "../library${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}")
endif()

set(CPACK_DEBIAN_LIBRARY_PACKAGE_SECTION libs)
# postinst and postrm reload the udev rules; triggers has ldconfig see the library.
set(CPACK_DEBIAN_LIBRARY_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_LIST_DIR}/debian/postinst
    ${CMAKE_CURRENT_LIST_DIR}/debian/postrm
    ${CMAKE_CURRENT_LIST_DIR}/debian/triggers)
set(CPACK_DEBIAN_LIBRARY_DESCRIPTION "\
access to Velk series cartridge storage devices (library)
velk_series is the C library through which Nuvrel and nuvrel-cli talk to the
USB flash-cartridge devices of the Velk series, and to velk-sim, the virtual
device.

This package holds the shared library and the udev rule that lets the user at
the seat open the device.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SHLIBDEPS OFF)
# The header and the .so link must match the library exactly.
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "${nuvrel_library_package} (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION "\
access to Velk series cartridge storage devices (development files)
velk_series is the C library through which Nuvrel and nuvrel-cli talk to the
USB flash-cartridge devices of the Velk series, and to velk-sim, the virtual
device.

This package holds the C header, the link to the shared library and the
pkg-config file (velk_series) needed to build programs against it.")

set(CPACK_DEBIAN_PROGRAM_PACKAGE_SECTION electronics)
# Qt loads its SVG icon engine at run time without the program linking it.
set(CPACK_DEBIAN_PROGRAM_PACKAGE_DEPENDS "${nuvrel_needs_library}, libqt6svg6")
set(CPACK_DEBIAN_PROGRAM_DESCRIPTION "\
program Genesis ROM images into Velk series flash cartridges
Nuvrel loads Sega Genesis / Mega Drive ROM images into a USB flash-cartridge
device of the Velk series, reads them back, manages the cartridge's save RAM,
shows ROM headers and applies Game Genie and address:data patches.

This package holds the desktop program.")

set(CPACK_DEBIAN_CLI_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_CLI_PACKAGE_DEPENDS "${nuvrel_needs_library}")
set(CPACK_DEBIAN_CLI_DESCRIPTION "\
command-line tool for Velk series flash cartridges
nuvrel-cli writes Sega Genesis / Mega Drive ROM images to a USB flash-cartridge
device of the Velk series, reads and verifies them, manages the cartridge's
save RAM, shows ROM headers, applies Game Genie and address:data patches and
shows the device's firmware and chips, from scripts or a terminal.")

set(CPACK_DEBIAN_SIMULATOR_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_SIMULATOR_DESCRIPTION "\
virtual Velk series flash-cartridge device
velk-sim stands in for a Velk series USB flash-cartridge device: Nuvrel and
nuvrel-cli find it like a plugged-in one. It keeps its ROM and save RAM in a
folder across runs and can simulate other chips, firmware and faults, to try
the programs or test them without hardware.")

# Every package carries the machine-readable copyright file and the changelog. Only the packages
# want them: a plain `cmake --install` leaves them out.
execute_process(COMMAND date -u -R -d "${NUVREL_RELEASE_DATE}"
    OUTPUT_VARIABLE NUVREL_CHANGELOG_DATE OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)
set(nuvrel_debian_docs ${PROJECT_BINARY_DIR}/debian)
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/copyright.in ${nuvrel_debian_docs}/copyright
    @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/changelog.in ${nuvrel_debian_docs}/changelog
    @ONLY)
# A native package's changelog is changelog.gz, compressed at most and without a time stamp.
execute_process(COMMAND gzip -9 -n -c ${nuvrel_debian_docs}/changelog
    OUTPUT_FILE ${nuvrel_debian_docs}/changelog.gz
    COMMAND_ERROR_IS_FATAL ANY)

set(CPACK_COMPONENTS_ALL)
while(nuvrel_packages)
    list(POP_FRONT nuvrel_packages component package)
    list(APPEND CPACK_COMPONENTS_ALL ${component})
    string(TOUPPER ${component} upper)
    set(CPACK_DEBIAN_${upper}_PACKAGE_NAME ${package})
    install(FILES ${nuvrel_debian_docs}/copyright ${nuvrel_debian_docs}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package}
        COMPONENT ${component} EXCLUDE_FROM_ALL)
endwhile()

include(CPack)
