#include "shell/operation_controls_table.h"

#include <QAbstractButton>
#include <QString>
#include <utility>

namespace nuvrel {

namespace {

// "Read" is enabled again by choosing an output file, never by an operation; "Write" after a
// write and by choosing an input file.
const ControlsTable kSaveRamRead{{"Write", "In File", "Out File", "Read"},
                                 {"Out File", "In File", "Clear RAM", "Verify data"}};
const ControlsTable kSaveRamWrite{
    {"Write", "In File", "Out File", "Read", "Clear RAM", "Verify data"},
    {"Write", "Out File", "In File", "Clear RAM", "Verify data"}};
const ControlsTable kSaveRamClear{
    {"Write", "In File", "Out File", "Read", "Clear RAM", "Verify data"},
    {"Out File", "In File", "Clear RAM", "Verify data"}};
const ControlsTable kRomRead{{"Write", "Verify data", "Fast Erase", "In File", "Out File", "Read"},
                             {"Out File", "In File"}};
const ControlsTable kRomWrite{{"Write", "In File", "Out File", "Read", "Verify data", "Fast Erase"},
                              {"Write", "Verify data", "Fast Erase", "Out File", "In File"},
                              true};

QString plainCaption(const QString& text) {
    QString caption;
    caption.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size()) {
            ++i;  // "&&" stands for one '&'; "&x" for x with a shortcut
        }
        caption += text[i];
    }
    return caption;
}

std::vector<QPointer<QWidget>> buttonsNamed(const QWidget& page,
                                            const std::vector<const char*>& captions) {
    const QList<QAbstractButton*> buttons = page.findChildren<QAbstractButton*>();
    std::vector<QPointer<QWidget>> found;
    for (const char* caption : captions) {
        const QString wanted = QString::fromLatin1(caption);
        for (QAbstractButton* button : buttons) {
            if (plainCaption(button->text()) == wanted) {
                found.emplace_back(button);
            }
        }
    }
    return found;
}

}  // namespace

const ControlsTable& controlsTable(DeviceOperation operation) {
    switch (operation) {
        case DeviceOperation::SaveRamRead:
            return kSaveRamRead;
        case DeviceOperation::SaveRamWrite:
            return kSaveRamWrite;
        case DeviceOperation::SaveRamClear:
            return kSaveRamClear;
        case DeviceOperation::RomRead:
            return kRomRead;
        case DeviceOperation::RomWrite:
            break;
    }
    return kRomWrite;
}

void applyControlsTable(DeviceOperation operation, const QWidget& page,
                        OperationControls& controls) {
    const ControlsTable& table = controlsTable(operation);
    controls.disabledAtStart = buttonsNamed(page, table.disabledAtStart);
    controls.enabledAtEnd = buttonsNamed(page, table.enabledAtEnd);
    if (table.emptiesSector) {
        controls.beforeEnabling = [pageHook = std::move(controls.beforeEnabling),
                                   sector = controls.sector] {
            if (pageHook) {
                pageHook();
            }
            if (sector != nullptr) {
                sector->setProperty("text", QString());
            }
        };
    }
}

}  // namespace nuvrel
