// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui_test_main.h"

#include <QFile>

namespace nuvrel::testing {

PrivateUserFolders::PrivateUserFolders() {
    // Runtime folders must be private to their owner, or Qt refuses them.
    QFile::setPermissions(m_runtime.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
}

}  // namespace nuvrel::testing
