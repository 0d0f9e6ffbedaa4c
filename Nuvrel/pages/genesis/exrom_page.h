// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The "Extended ROM info" page of the main sheet: the Genesis header of the selected image or of
// the ROM in the device, read afresh each time the page comes to the front, on "Refresh" and when
// the source changes. Its "Browse" selects a new image for the "ROM memory" page (through the
// sheet's SelectedImage).
#pragma once

#include <QRgb>
#include <QString>
#include <array>
#include <optional>

#include "genesis/genesis_checksum.h"
#include "genesis/genesis_header.h"
#include "shell/sheet_page.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace nuvrel {

class SelectedImage;

// The colour of every caption of the page (labels, group titles, radio buttons, help text).
inline constexpr QRgb kCaptionColour = qRgb(0, 70, 213);

class CEXROMPage : public CSheetPage {
    Q_OBJECT

  public:
    // The ten value fields, top to bottom.
    enum Field {
        FileName,
        FileSize,
        SystemName,
        Copyright,
        DomesticName,
        OverseasName,
        CartridgeType,
        CheckSum,
        RomRange,
        RamRange,
        FieldCount
    };
    enum class Source { Device, File };

    explicit CEXROMPage(SelectedImage& image, QWidget* parent = nullptr);

    QLineEdit* field(Field which) const { return m_fields[which]; }
    QRadioButton* deviceSourceButton() const { return m_deviceSource; }
    QRadioButton* fileSourceButton() const { return m_fileSource; }
    QPushButton* browseButton() const { return m_browse; }
    QPushButton* refreshButton() const { return m_refresh; }
    Source source() const { return m_source; }

    // userAsked: the user pressed "Refresh" or chose the source, so a device that refused to
    // open is explained in a message box; a refresh on activation never shows one.
    void RefreshHeader(bool userAsked = true);
    // "matches" or "computed 0x…" beside "Check Sum:" for the file source; empty otherwise.
    QLabel* checksumNote() const { return m_checksumNote; }
    QLabel* formatNote() const { return m_formatNote; }
    void OnBrowse();
    // Selects an image as "Browse" does once its dialog was confirmed (a dropped file) and shows
    // its header; the source becomes the file.
    void selectImage(const QString& path);

  protected:
    void onInitPage() override;
    void onSetActive() override;

  private:
    void synchroniseSource();
    bool ReadHeaderFromFile();
    bool ReadHeaderFromDevice(bool userAsked);
    void ShowHeader(const GenesisHeaderBytes& header);
    void showEverywhere(const QString& text);
    void showChecksumNote(const std::optional<ImageChecksum>& checksum);
    void showHeaderOfSelection();

    SelectedImage& m_image;
    Source m_source = Source::File;

    std::array<QLineEdit*, FieldCount> m_fields{};
    QRadioButton* m_deviceSource = nullptr;
    QRadioButton* m_fileSource = nullptr;
    QPushButton* m_browse = nullptr;
    QPushButton* m_refresh = nullptr;
    QLabel* m_checksumNote = nullptr;
    QLabel* m_formatNote = nullptr;
};

}  // namespace nuvrel
