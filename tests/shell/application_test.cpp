// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The application object end to end: it claims the single instance, shows the sheet as its main
// window, lets a second start bring it forward, shows the library's messages and ends when the
// sheet is closed.
#include <velk_series/velk_series.h>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include "app/nuvrel_app.h"
#include "app/nuvrel_sheet.h"
#include "shell/resources.h"
#include "shell/single_instance.h"
#include "support/gui_test_main.h"
#include "support/recording_prompts.h"

using namespace nuvrel;

namespace {

int failures = 0;

// The sheet the program shows, found as a user would: among the top-level windows.
CNuvrelSheet* shownSheet() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* sheet = qobject_cast<CNuvrelSheet*>(widget)) {
            return sheet;
        }
    }
    return nullptr;
}

void check(bool condition, const char* what) {
    if (!condition) {
        ++failures;
        std::fprintf(stderr, "FAIL: %s\n", what);
    } else {
        std::fprintf(stderr, "PASS: %s\n", what);
    }
}

}  // namespace

// QtTest needs its own QApplication, so this test drives CNuvrelApp from a plain main().
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::PrivateUserFolders folders;
    initResources();
    CNuvrelApp app(argc, argv);
    testing::RecordingPrompts prompts;

    bool secondStartRefused = false;
    bool sheetShownDuringRun = false;
    bool sheetActiveAfterRaise = false;
    QTimer::singleShot(0, &app, [&] {
        CNuvrelSheet* sheet = shownSheet();
        sheetShownDuringRun = sheet != nullptr && sheet->isVisible();
        if (sheet == nullptr) {
            app.exit(1);
            return;
        }
        sheet->showMinimized();
        SingleInstance second(QStringLiteral("Velk Series storage loader"));
        secondStartRefused = !second.claim();
        // Wait (bounded) for the running copy to take the request, then finish.
        auto* poll = new QTimer(sheet);
        auto* waited = new QElapsedTimer;
        waited->start();
        QObject::connect(poll, &QTimer::timeout, sheet, [&, sheet, poll, waited] {
            sheetActiveAfterRaise = sheet->isVisible() && !sheet->isMinimized();
            if (!sheetActiveAfterRaise && waited->elapsed() < 10000) {
                return;
            }
            poll->stop();
            delete waited;
            GetMaxSize(nullptr, nullptr, 1);
            sheet->exitButton()->click();
        });
        poll->start(20);
    });
    const int exitCode = app.run();

    check(exitCode == 0, "run() returns 0 when the sheet is closed");
    check(sheetShownDuringRun, "the sheet is the main window while the program runs");
    check(secondStartRefused, "a second start finds the running copy");
    check(sheetActiveAfterRaise, "the running copy's window comes back from minimized");
    check(prompts.messages.size() == 1 &&
              prompts.messages[0].text == QStringLiteral("Device Not Detected!") &&
              prompts.messages[0].caption == QStringLiteral("Nuvrel") &&
              prompts.messages[0].icon == PromptIcon::Error,
          "the library's message is shown as an error box captioned Nuvrel");
    check(shownSheet() == nullptr, "no sheet once the program has ended");
    return failures == 0 ? 0 : 1;
}
