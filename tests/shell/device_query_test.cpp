// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Asking the device from a page: when the device is asked at all, when it is asked again with the
// library's own message, what problem comes back, and how each problem is worded for the user.
#include <velk_series/velk_series.h>
#include <QtTest>
#include <vector>

#include "shell/device_query.h"
#include "support/gui_test_main.h"
#include "support/recording_prompts.h"

using namespace nuvrel;
using nuvrel::testing::RecordingPrompts;

Q_DECLARE_METATYPE(nuvrel::DeviceProblem)
Q_DECLARE_METATYPE(nuvrel::PromptIcon)
Q_DECLARE_METATYPE(nuvrel::QueryFacts)

namespace {

constexpr QueryFacts kFound{true, true};
constexpr QueryFacts kMissing{false, true};
constexpr QueryFacts kSilent{true, false};

}  // namespace

class DeviceQueryTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { SetVelkDeviceProcessed(0); }

    void the_device_is_asked_as_its_answers_require_data() {
        QTest::addColumn<bool>("busy");
        QTest::addColumn<bool>("announces");
        QTest::addColumn<QueryFacts>("first");
        QTest::addColumn<QueryFacts>("second");
        QTest::addColumn<QList<bool>>("asked");  // the showMessage of each ask, in order
        QTest::addColumn<DeviceProblem>("problem");
        QTest::addColumn<bool>("announced");
        QTest::newRow("busy: left alone")
            << true << true << kFound << kFound << QList<bool>{} << DeviceProblem::Busy << false;
        QTest::newRow("found: asked once, quietly")
            << false << true << kFound << kFound << QList<bool>{false} << DeviceProblem::None
            << false;
        QTest::newRow("not answering: not asked again")
            << false << true << kSilent << kFound << QList<bool>{false} << DeviceProblem::NoAnswer
            << false;
        QTest::newRow("missing: the library says so on the second ask")
            << false << true << kMissing << kMissing << QList<bool>{false, true}
            << DeviceProblem::NotFound << true;
        QTest::newRow("missing, then back on the second ask")
            << false << true << kMissing << kFound << QList<bool>{false, true}
            << DeviceProblem::None << false;
        QTest::newRow("missing, then not answering")
            << false << true << kMissing << kSilent << QList<bool>{false, true}
            << DeviceProblem::NoAnswer << false;
        QTest::newRow("missing, the page words it")
            << false << false << kMissing << kFound << QList<bool>{false} << DeviceProblem::NotFound
            << false;
    }
    void the_device_is_asked_as_its_answers_require() {
        QFETCH(bool, busy);
        QFETCH(bool, announces);
        QFETCH(QueryFacts, first);
        QFETCH(QueryFacts, second);
        QFETCH(QList<bool>, asked);
        QFETCH(DeviceProblem, problem);
        QFETCH(bool, announced);
        SetVelkDeviceProcessed(busy ? 1 : 0);
        QList<bool> seen;
        const QueryProblem got = runDeviceQuery(
            [&](bool showMessage) {
                seen << showMessage;
                return seen.size() == 1 ? first : second;
            },
            "size query", announces);
        QCOMPARE(seen, asked);
        QCOMPARE(got.kind, problem);
        QCOMPARE(got.announced, announced);
        QCOMPARE(QString::fromStdString(got.step),
                 problem == DeviceProblem::NoAnswer ? QStringLiteral("size query") : QString());
    }

    void the_answer_comes_back_with_its_problem() {
        const DeviceReply<int> reply =
            askDevice<int>([](bool showMessage) { return showMessage ? 7 : 0; },
                           [](int value) {
                               return QueryFacts{value != 0, true};
                           },
                           "ROM query", true);
        // The second, announced ask found the device: its answer is the one kept.
        QVERIFY(reply.ok());
        QCOMPARE(reply.value, 7);
    }

    void each_problem_is_worded_as_the_pages_show_it_data() {
        QTest::addColumn<DeviceProblem>("kind");
        QTest::addColumn<bool>("announced");
        QTest::addColumn<QString>("text");  // empty: no box
        QTest::addColumn<PromptIcon>("icon");
        QTest::newRow("none") << DeviceProblem::None << false << QString() << PromptIcon::None;
        QTest::newRow("busy") << DeviceProblem::Busy << false
                              << QStringLiteral("Velk Device is Busy!") << PromptIcon::None;
        QTest::newRow("missing") << DeviceProblem::NotFound << false
                                 << QStringLiteral("Device Not Detected!") << PromptIcon::Error;
        QTest::newRow("missing, said by the library")
            << DeviceProblem::NotFound << true << QString() << PromptIcon::None;
        QTest::newRow("refused") << DeviceProblem::Refused << false
                                 << QStringLiteral("The device is used by another program.")
                                 << PromptIcon::Information;
        QTest::newRow("not answering")
            << DeviceProblem::NoAnswer << false
            << QStringLiteral("Device not answering: header read") << PromptIcon::Error;
    }
    void each_problem_is_worded_as_the_pages_show_it() {
        QFETCH(DeviceProblem, kind);
        QFETCH(bool, announced);
        QFETCH(QString, text);
        QFETCH(PromptIcon, icon);
        QueryProblem problem;
        problem.kind = kind;
        problem.announced = announced;
        if (kind == DeviceProblem::Refused) {
            problem.reason = QStringLiteral("The device is used by another program.");
        }
        if (kind == DeviceProblem::NoAnswer) {
            problem.step = "header read";
        }
        RecordingPrompts prompts;
        QCOMPARE(showDeviceProblem(nullptr, problem), !text.isEmpty());
        QCOMPARE(prompts.texts(), text.isEmpty() ? QStringList() : QStringList{text});
        if (!text.isEmpty()) {
            QCOMPARE(prompts.messages[0].icon, icon);
        }
    }
};

NUVREL_GUI_TEST(DeviceQueryTest)
#include "device_query_test.moc"
