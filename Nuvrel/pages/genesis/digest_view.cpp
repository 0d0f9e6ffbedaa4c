// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/genesis/digest_view.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <optional>
#include <string>

#include "engine/printable_text.h"
#include "genesis/dat_file.h"
#include "genesis/rom_digest.h"
#include "shell/accessible_text.h"
#include "shell/file_names.h"
#include "shell/page_kit.h"
#include "shell/settings_store.h"

namespace nuvrel {

namespace {

constexpr const char* kDatFile = "DAT File";

QString datText(const RomDigest& digest) {
    QString datPath;
    if (!ReadSettingString(QString::fromLatin1(SettingsKey), QString::fromLatin1(kDatFile),
                           datPath) ||
        datPath.isEmpty()) {
        return QString();
    }
    std::string error;
    const std::optional<DatFile> dat = DatFile::Load(toEnginePath(datPath), &error);
    if (!dat) {
        return QStringLiteral("DAT: ") + QString::fromStdString(Printable(error));
    }
    const DatRom* match = dat->find(digest);
    if (match == nullptr) {
        return QStringLiteral("DAT: no match");
    }
    return QStringLiteral("DAT: %1 (%2)")
        .arg(QString::fromStdString(Printable(match->game)),
             QString::fromStdString(Printable(match->name)));
}

}  // namespace

namespace {

DigestTexts TextsOf(const std::optional<RomDigest>& digest) {
    if (!digest) {
        return {};
    }
    return {QStringLiteral("CRC32 %1  SHA-1 %2")
                .arg(QString::fromStdString(digest->crc32Text()),
                     QString::fromStdString(digest->sha1Text())),
            datText(*digest)};
}

}  // namespace

DigestTexts DigestTextsOfFile(const QString& path) {
    return TextsOf(DigestFile(toEnginePath(path)));
}

DigestTexts DigestTextsOfBytes(std::span<const std::uint8_t> bytes) {
    return TextsOf(DigestBytes(bytes));
}

DigestView::DigestView(QWidget* parent) : QWidget(parent) {
    m_field = makeInfoField(QString(), QStringLiteral("digestField"), this);
    m_copy = makeButton(QStringLiteral("Copy"), QStringLiteral("copyDigestButton"), this);
    m_copy->setEnabled(false);
    setAccessibleText(m_copy, QStringLiteral("Copy digests"),
                      QStringLiteral("Copies the CRC32, SHA-1 and DAT entry to the clipboard"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(
        makeFieldLabel(QStringLiteral("Digests:"), m_field, this, QStringLiteral("last ROM file")));
    layout->addWidget(m_field, 1);
    layout->addWidget(m_copy);
    connect(m_copy, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(m_field->text()); });
}

void DigestView::showTexts(const DigestTexts& texts) {
    QString shown = texts.digests;
    if (!texts.dat.isEmpty()) {
        shown += QStringLiteral("  ") + texts.dat;
    }
    m_field->setText(shown);
    m_field->setCursorPosition(0);
    m_copy->setEnabled(!shown.isEmpty());
}

void DigestView::clear() {
    m_field->clear();
    m_copy->setEnabled(false);
}

}  // namespace nuvrel
