// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The library's own messages reach the user as the program's message boxes, from any thread.
#include <velk_series/velk_series.h>
#include <QtTest>
#include <thread>

#include "shell/library_messages.h"
#include "support/gui_test_main.h"
#include "support/recording_prompts.h"

using namespace nuvrel;
using nuvrel::testing::RecordingPrompts;

class LibraryMessagesTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { installLibraryMessageHandler(this); }
    void cleanup() {
        removeLibraryMessageHandler();
        SetVelkDeviceProcessed(0);
    }

    void device_not_detected_is_an_error_box_captioned_nuvrel() {
        RecordingPrompts prompts;
        QCOMPARE(GetMaxSize(nullptr, nullptr, 1), 0u);
        QCOMPARE(prompts.messages.size(), std::size_t{1});
        QCOMPARE(prompts.messages[0].text, QStringLiteral("Device Not Detected!"));
        QCOMPARE(prompts.messages[0].caption, QStringLiteral("Nuvrel"));
        QCOMPARE(prompts.messages[0].icon, PromptIcon::Error);
        QCOMPARE(prompts.messages[0].buttons, PromptButtons::Ok);
        QVERIFY(prompts.messages[0].onUiThread);
    }

    void a_message_raised_on_a_worker_is_shown_on_the_ui_thread_while_the_worker_waits() {
        RecordingPrompts prompts;
        std::atomic<bool> returned{false};
        std::thread worker([&returned] {
            GetMaxSize(nullptr, nullptr, 1);
            returned = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(returned.load(), 10000);
        worker.join();
        QCOMPARE(prompts.messages.size(), std::size_t{1});
        QCOMPARE(prompts.messages[0].text, QStringLiteral("Device Not Detected!"));
        QVERIFY(prompts.messages[0].onUiThread);
    }

    void asking_for_no_message_shows_none() {
        RecordingPrompts prompts;
        QCOMPARE(GetMaxSize(nullptr, nullptr, 0), 0u);
        QVERIFY(prompts.messages.empty());
    }
};

NUVREL_GUI_TEST(LibraryMessagesTest)
#include "library_messages_test.moc"
