// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The "Add Code" dialog: one patch entered either as a hexadecimal address and data word or as a
// Game Genie code, both forms shown at once and kept in step while the user types. The patch page
// owns one and reuses it for Add (empty) and Modify (prefilled, address fixed); the values are
// read after OK and are not checked here.
#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>

#include "pages/patches/parsed_edit.h"

class QRadioButton;

namespace nuvrel {

class CGGCode : public QDialog {
    Q_OBJECT

  public:
    explicit CGGCode(QWidget* parent = nullptr);

    // Set by the caller before exec(); address, data and the code text are read after OK.
    void setAddress(std::int32_t address) { m_address = address; }
    void setData(std::int32_t data) { m_data = data; }
    void setModify(bool modify) { m_modify = modify; }
    std::int32_t address() const { return m_address; }
    std::int32_t data() const { return m_data; }
    bool modify() const { return m_modify; }
    const QString& codeText() const { return m_codeText; }

    // Fills the fields from the values set and shows the dialog modally.
    int exec() override;
    // The filling exec() does, for a dialog shown without it.
    void prepareFields();

    CParsedEdit* addressField() const { return m_addressField; }
    CParsedEdit* dataField() const { return m_dataField; }
    CParsedEdit* firstCodeField() const { return m_firstCodeField; }
    CParsedEdit* secondCodeField() const { return m_secondCodeField; }
    QRadioButton* patchModeButton() const { return m_patchMode; }
    QRadioButton* codeModeButton() const { return m_codeMode; }

  public slots:
    void accept() override;
    // From the address and data fields to the two code fields, and back.
    void UpdateCodeFromPatch();
    void UpdatePatchFromCode();
    // The conversion away from whichever pair holds the keyboard focus; nothing elsewhere.
    void SyncFromFocusedField();

  private:
    void applyEnableRule();

    QString m_codeText;
    std::int32_t m_address = 0;
    std::int32_t m_data = 0;
    bool m_modify = false;

    QRadioButton* m_patchMode = nullptr;
    QRadioButton* m_codeMode = nullptr;
    CParsedEdit* m_addressField = nullptr;
    CParsedEdit* m_dataField = nullptr;
    CParsedEdit* m_firstCodeField = nullptr;
    CParsedEdit* m_secondCodeField = nullptr;
};

}  // namespace nuvrel
