// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/single_instance.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

#if defined(Q_OS_UNIX)
#include <unistd.h>
#endif

namespace nuvrel {

namespace {

constexpr int kConnectTimeoutMs = 1000;
const QByteArray kRaiseRequest = QByteArrayLiteral("raise\n");

QString userId() {
#if defined(Q_OS_UNIX)
    return QString::number(::getuid());
#else
    return qEnvironmentVariable("USERNAME");
#endif
}

// A per-user place for the socket and its lock: the runtime folder where there is one.
QString meetingFolder() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

QString makeServerName(const QString& title) {
    // Hashed so that the name is safe as a file or pipe name on every platform.
    const QByteArray digest =
        QCryptographicHash::hash((title + QLatin1Char('|') + userId()).toUtf8(),
                                 QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    const QString name = QStringLiteral("nuvrel-") + QString::fromLatin1(digest);
#if defined(Q_OS_UNIX)
    return QDir(meetingFolder()).filePath(name);
#else
    return name;
#endif
}

}  // namespace

SingleInstance::SingleInstance(const QString& title, QObject* parent)
    : QObject(parent), m_serverName(makeServerName(title)) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::claim() {
    // Two copies starting at the same moment must not both become the running one.
    QLockFile lock(QDir(meetingFolder()).filePath(QStringLiteral("nuvrel-start.lock")));
    lock.tryLock(5000);

    if (askRunningCopyToRaise()) {
        return false;
    }
    // Nobody answered: a socket left behind by a copy that crashed is stale.
    QLocalServer::removeServer(m_serverName);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    // Failing to listen must not stop the program; it just cannot be found by a second start.
    m_server->listen(m_serverName);
    return true;
}

bool SingleInstance::askRunningCopyToRaise() {
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(kConnectTimeoutMs)) {
        return false;
    }
    socket.write(kRaiseRequest);
    socket.waitForBytesWritten(kConnectTimeoutMs);
    socket.disconnectFromServer();
    return true;
}

void SingleInstance::onNewConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        auto readRequest = [this, socket] {
            if (socket->canReadLine() && socket->readLine() == kRaiseRequest) {
                emit raiseRequested();
            }
        };
        connect(socket, &QLocalSocket::readyRead, this, readRequest);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        readRequest();
    }
}

}  // namespace nuvrel
