// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// One running copy per user session. The first copy listens on a local socket named after the
// program's title and the user; a later start connects, asks it to come to the front and ends.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace nuvrel {

class SingleInstance : public QObject {
    Q_OBJECT

  public:
    explicit SingleInstance(const QString& title, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is now the running copy. False when another copy answered; it has
    // been asked to come to the front.
    bool claim();

    // The socket this user's copies meet on.
    const QString& serverName() const { return m_serverName; }

  signals:
    // Another start asked the running copy to come to the front.
    void raiseRequested();

  private:
    bool askRunningCopyToRaise();
    void onNewConnection();

    QString m_serverName;
    QLocalServer* m_server = nullptr;
};

}  // namespace nuvrel
