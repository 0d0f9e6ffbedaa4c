// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A page of the main sheet: its tab caption, a hook run once when the page is first shown, and a
// hook run each time its tab is brought to the front.
#pragma once

#include <QString>
#include <QWidget>

namespace nuvrel {

class CSheetPage : public QWidget {
    Q_OBJECT

  public:
    CSheetPage(const QString& caption, QWidget* parent = nullptr);

    const QString& caption() const { return m_caption; }

    // The sheet calls this when the page becomes the current tab (also for the first tab when the
    // sheet opens): the first time onInitPage() runs, then onSetActive() every time.
    void activate();

  protected:
    virtual void onInitPage() {}
    virtual void onSetActive() {}

  private:
    QString m_caption;
    bool m_initialised = false;
};

}  // namespace nuvrel
