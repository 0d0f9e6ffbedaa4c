// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
//
// What a dump database knows a ROM by, shown after a complete write (the bytes programmed: the
// image converted, patched and filled up to whole blocks) or read-back (the file written): CRC32
// and SHA-1 as selectable text with a copy button, and the DAT file's entry when one is configured
// ("DAT File" in the settings).
#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>
#include <span>

class QLineEdit;
class QPushButton;

namespace nuvrel {

// The texts to show, worked out on the worker thread: hashing a large file and reading a DAT
// take longer than the window may be held.
struct DigestTexts {
    QString digests;  // "CRC32 1a2b3c4d  SHA-1 …"; empty when the file could not be read
    QString dat;      // "DAT: game (rom)" or "DAT: no match"; empty without a DAT file
};

// Worker thread: the digests of the file at path and its DAT entry.
DigestTexts DigestTextsOfFile(const QString& path);
// Worker thread: the same for bytes in memory (what a write programmed).
DigestTexts DigestTextsOfBytes(std::span<const std::uint8_t> bytes);

class DigestView : public QWidget {
    Q_OBJECT

  public:
    explicit DigestView(QWidget* parent = nullptr);

    QLineEdit* digestField() const { return m_field; }
    QPushButton* copyButton() const { return m_copy; }

    void showTexts(const DigestTexts& texts);
    void clear();

  private:
    QLineEdit* m_field = nullptr;
    QPushButton* m_copy = nullptr;
};

}  // namespace nuvrel
