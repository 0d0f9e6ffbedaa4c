// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
//
// What a user of assistive technology or of the keyboard meets: every control announced by a name
// of its own, labels tied to their fields, and Tab going the way the page is laid out.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include "app/nuvrel_sheet.h"
#include "pages/patches/gg_code_dialog.h"
#include "support/gui_test_main.h"

using namespace nuvrel;

namespace {

bool interactive(const QWidget* widget) {
    return qobject_cast<const QAbstractButton*>(widget) != nullptr ||
           qobject_cast<const QLineEdit*>(widget) != nullptr ||
           qobject_cast<const QProgressBar*>(widget) != nullptr ||
           qobject_cast<const QComboBox*>(widget) != nullptr ||
           qobject_cast<const QAbstractSpinBox*>(widget) != nullptr ||
           (qobject_cast<const QAbstractItemView*>(widget) != nullptr &&
            qobject_cast<const QHeaderView*>(widget) == nullptr);
}

// The controls of a window, leaving out the parts Qt builds inside its own composite widgets
// (a combo box's line edit, a table's scroll bars and corner button).
QList<QWidget*> controlsOf(const QWidget* window) {
    QList<QWidget*> controls;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        bool inner = false;
        for (QWidget* up = widget->parentWidget(); up != nullptr && up != window;
             up = up->parentWidget()) {
            inner = inner || qobject_cast<QComboBox*>(up) != nullptr ||
                    qobject_cast<QAbstractItemView*>(up) != nullptr;
        }
        // A dialog that belongs to the window is a window of its own.
        if (interactive(widget) && !inner && widget->window() == window) {
            controls << widget;
        }
    }
    return controls;
}

QString announcedName(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face != nullptr ? face->text(QAccessible::Name) : QString();
}

QString describe(const QWidget* widget) {
    return widget->objectName() + QStringLiteral(" on ") + widget->window()->objectName() +
           QLatin1Char('/') +
           (widget->parentWidget() != nullptr ? widget->parentWidget()->objectName() : QString());
}

// Faults of a window: controls without a name set for them, announced by a frame's title, or
// announced like another control of the same window.
QStringList namingFaults(const QWidget* window) {
    QStringList faults;
    QHash<QString, QString> seen;
    for (QWidget* control : controlsOf(window)) {
        const QString name = announcedName(control);
        if (control->accessibleName().isEmpty()) {
            faults << QStringLiteral("no name of its own: %1 (announced as \"%2\")")
                          .arg(describe(control), name);
        }
        for (QWidget* up = control->parentWidget(); up != nullptr; up = up->parentWidget()) {
            if (auto* group = qobject_cast<QGroupBox*>(up);
                group != nullptr && !group->title().isEmpty() && group->title() == name) {
                faults << QStringLiteral("named after its frame: %1").arg(describe(control));
            }
        }
        if (seen.contains(name)) {
            faults << QStringLiteral("\"%1\" twice: %2 and %3")
                          .arg(name, seen.value(name), describe(control));
        }
        seen.insert(name, describe(control));
    }
    return faults;
}

// The page's focusable controls in the order Tab visits them.
QList<QWidget*> tabChain(QWidget* page) {
    QList<QWidget*> chain;
    QWidget* widget = page;
    do {
        widget = widget->nextInFocusChain();
        if (page->isAncestorOf(widget) && (widget->focusPolicy() & Qt::TabFocus) != 0) {
            chain << widget;
        }
    } while (widget != page);
    return chain;
}

QGroupBox* frameOf(const QWidget* widget) {
    for (QWidget* up = widget->parentWidget(); up != nullptr; up = up->parentWidget()) {
        if (auto* group = qobject_cast<QGroupBox*>(up)) {
            return group;
        }
    }
    return nullptr;
}

}  // namespace

class AccessibleNamesTest : public QObject {
    Q_OBJECT

  private slots:
    void every_control_of_the_window_and_of_add_code_has_a_name_of_its_own() {
        CNuvrelSheet sheet;
        sheet.setObjectName(QStringLiteral("sheet"));
        const QStringList sheetFaults = namingFaults(&sheet);
        QVERIFY2(sheetFaults.isEmpty(), qPrintable(sheetFaults.join(QLatin1Char('\n'))));
        QVERIFY(controlsOf(&sheet).size() > 60);

        CGGCode dialog;
        dialog.setObjectName(QStringLiteral("addCode"));
        const QStringList dialogFaults = namingFaults(&dialog);
        QVERIFY2(dialogFaults.isEmpty(), qPrintable(dialogFaults.join(QLatin1Char('\n'))));
    }

    void the_same_caption_on_two_pages_says_which_memory_it_works_on() {
        CNuvrelSheet sheet;
        QCOMPARE(announcedName(sheet.romPage().writeButton()), QStringLiteral("Write ROM"));
        QCOMPARE(sheet.ramPage()
                     .findChild<QAbstractButton*>(QStringLiteral("writeButton"))
                     ->accessibleName(),
                 QStringLiteral("Write save RAM"));
        // The captions themselves stay as they are.
        QCOMPARE(sheet.romPage().writeButton()->text(), QStringLiteral("Write"));
        QCOMPARE(announcedName(sheet.romPage().diskFileSize()),
                 QStringLiteral("File size, image file"));
        QCOMPARE(announcedName(sheet.romPage().progressBar()),
                 QStringLiteral("Progress, ROM operation"));
    }

    void every_field_label_is_the_buddy_of_a_field_it_names() {
        CNuvrelSheet sheet;
        QStringList faults;
        for (QLabel* label : sheet.findChildren<QLabel*>()) {
            if (!label->text().endsWith(QLatin1Char(':')) || !label->pixmap().isNull()) {
                continue;
            }
            QWidget* buddy = label->buddy();
            QString caption = label->text();
            caption.chop(1);
            caption.remove(QLatin1Char('&'));
            if (buddy == nullptr || !buddy->accessibleName().startsWith(caption)) {
                faults << label->text();
            }
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    }

    void tab_goes_down_the_rows_and_left_to_right_within_each_frame() {
        CNuvrelSheet sheet;
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        QStringList faults;
        for (int i = 0; i < sheet.tabs()->count(); ++i) {
            sheet.tabs()->setCurrentIndex(i);
            QWidget* page = sheet.tabs()->widget(i);
            const QList<QWidget*> chain = tabChain(page);
            for (qsizetype k = 1; k < chain.size(); ++k) {
                const QWidget* before = chain[k - 1];
                const QWidget* after = chain[k];
                if (frameOf(before) != frameOf(after)) {
                    continue;
                }
                const QRect a(before->mapTo(page, QPoint(0, 0)), before->size());
                const QRect b(after->mapTo(page, QPoint(0, 0)), after->size());
                const bool sameRow = b.center().y() >= a.top() && b.center().y() <= a.bottom();
                if (sameRow ? b.left() < a.left() : b.center().y() < a.top()) {
                    faults << QStringLiteral("%1 before %2 on %3")
                                  .arg(before->objectName(), after->objectName(),
                                       sheet.tabs()->tabText(i));
                }
            }
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    }
};

NUVREL_GUI_TEST(AccessibleNamesTest)

#include "accessible_names_test.moc"
