// A page of the main sheet: its tab caption, and a hook run each time its tab is brought to the
// front.
#pragma once

#include <QString>
#include <QWidget>

namespace nuvrel {

class CSheetPage : public QWidget {
    Q_OBJECT

  public:
    CSheetPage(const QString& caption, QWidget* parent = nullptr);

    const QString& caption() const { return m_caption; }

    // Called by the sheet when the page becomes the current tab.
    virtual void onSetActive() {}

  private:
    QString m_caption;
};

}  // namespace nuvrel
