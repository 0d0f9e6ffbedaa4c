# SPDX-FileCopyrightText: 2026 The Nuvrel developers
# SPDX-License-Identifier: GPL-3.0-or-later
#
# Who makes Nuvrel, where it lives and under what terms: the one place the packages, the AppStream
# data, the manual pages, the programs' --version and scripts/annotate-licences read these from.
# Keep each set() on one line: scripts/annotate-licences reads the values with grep.

# The licences. Programs, engines, tools, tests and build files are under NUVREL_LICENSE; the
# device library velk_series (velk_series/, its public header included) under
# NUVREL_LIBRARY_LICENSE, so that any host program can link it; the AppStream metadata under
# NUVREL_METADATA_LICENSE, as software centres require of metadata. The texts are in LICENSES/.
set(NUVREL_LICENSE "GPL-3.0-or-later")
# How --version names NUVREL_LICENSE.
set(NUVREL_LICENSE_NAME "GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>")
set(NUVREL_LIBRARY_LICENSE "LGPL-2.1-or-later")
set(NUVREL_METADATA_LICENSE "CC0-1.0")
set(NUVREL_COPYRIGHT_HOLDER "The Nuvrel developers")
set(NUVREL_COPYRIGHT_YEAR "2026")

# Placeholders: none of these is known yet. Replace each value here (and only here) before a
# public release; every file that names them is generated from these lines.
# PLACEHOLDER: the Maintainer of the Debian packages and the changelog's signature.
set(NUVREL_MAINTAINER "Nuvrel developers <nuvrel@example.org>")
# PLACEHOLDER: the home page (packages, AppStream data, copyright Source, manual pages, --version).
set(NUVREL_HOMEPAGE "https://nuvrel.example.org")
# PLACEHOLDER: where docs/screenshots is published, for software centres.
set(NUVREL_SCREENSHOT_URL "https://nuvrel.example.org/docs/screenshots")
# PLACEHOLDER: the AppStream id (reverse domain name of the project's home); software centres
# know the program by it, so it must not change after the first public release.
set(NUVREL_APPSTREAM_ID "org.example.nuvrel")
