// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// How long the user-interface thread is held while the "ROM memory" page programs an image: the
// real CROMPage, runner and engine against whatever device the library finds (scripts/bench-ui
// starts a velk-sim --speed full for it). A heartbeat timer on the user-interface thread fires
// every millisecond; the longest gap between two beats is the longest time the window could not
// react. Usage: nuvrel-rom-ui-stall [--size BYTES] [--no-verify]
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "pages/genesis/rom_page.h"
#include "patches/patch_list.h"
#include "shell/device_operation_runner.h"
#include "shell/library_messages.h"
#include "shell/resources.h"
#include "shell/selected_image.h"
#include "shell/user_prompts.h"

namespace {

// Answers the file dialog with the image; a message box ends the measurement as a failure.
class ScriptedPrompts final : public nuvrel::UserPrompts {
  public:
    explicit ScriptedPrompts(QString image) : m_image(std::move(image)) {
        nuvrel::setUserPrompts(this);
    }
    ~ScriptedPrompts() override { nuvrel::setUserPrompts(nullptr); }
    ScriptedPrompts(const ScriptedPrompts&) = delete;
    ScriptedPrompts& operator=(const ScriptedPrompts&) = delete;

    nuvrel::PromptAnswer message(QWidget*, const QString&, const QString& text, nuvrel::PromptIcon,
                                 nuvrel::PromptButtons) override {
        std::fprintf(stderr, "nuvrel-rom-ui-stall: message box: %s\n", qPrintable(text));
        messages = true;
        return nuvrel::PromptAnswer::Ok;
    }
    QString openFile(QWidget*, const QString&, const QString&, const QString&) override {
        return m_image;
    }
    QString saveFile(QWidget*, const QString&, const QString&, const QString&) override {
        return QString();
    }

    bool messages = false;

  private:
    QString m_image;
};

// The gaps between heartbeats on the user-interface thread.
class Heartbeat {
  public:
    Heartbeat() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { beat(); });
    }
    void start() {
        m_clock.start();
        m_last = 0;
        m_gaps.clear();
        m_timer.start();
    }
    void stop() {
        beat();
        m_timer.stop();
    }
    // Milliseconds, longest first.
    std::vector<double> sortedGaps() const {
        std::vector<double> gaps = m_gaps;
        std::sort(gaps.begin(), gaps.end(), std::greater<>());
        return gaps;
    }

  private:
    void beat() {
        const qint64 now = m_clock.nsecsElapsed();
        m_gaps.push_back(static_cast<double>(now - m_last) / 1e6);
        m_last = now;
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    std::vector<double> m_gaps;
};

// A Genesis image of size bytes: a header and data in which every 512-byte block differs.
QString writeImage(const QTemporaryDir& folder, int size) {
    QByteArray image(size, '\0');
    for (int i = 0; i < size; ++i) {
        image[i] = static_cast<char>((i * 7 + i / 512) & 0x7F);
    }
    const char name[] = "NUVREL UI STALL BENCH";
    std::memcpy(image.data() + 0x100, "SEGA MEGA DRIVE ", 16);
    std::memcpy(image.data() + 0x120, name, sizeof name - 1);
    const QString path = folder.filePath(QStringLiteral("ui-stall.bin"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(image) != image.size()) {
        return QString();
    }
    return path;
}

int countOver(const std::vector<double>& sorted, double limit) {
    return static_cast<int>(
        std::count_if(sorted.begin(), sorted.end(), [limit](double gap) { return gap > limit; }));
}

void report(const char* phase, const Heartbeat& heartbeat, double seconds) {
    const std::vector<double> gaps = heartbeat.sortedGaps();
    const double longest = gaps.empty() ? 0.0 : gaps.front();
    const double p999 = gaps.empty() ? 0.0 : gaps[gaps.size() / 1000];
    std::printf(
        "%-12s %9.3f s %8zu beats  longest %7.1f ms  99.9%% %6.1f ms  >16 ms: %4d  >50 ms: %3d\n",
        phase, seconds, gaps.size(), longest, p999, countOver(gaps, 16.0), countOver(gaps, 50.0));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    nuvrel::initResources();
    int size = 4 * 1024 * 1024;
    bool verify = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-verify") == 0) {
            verify = false;
        } else if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
            size = std::stoi(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: nuvrel-rom-ui-stall [--size BYTES] [--no-verify]\n");
            return 2;
        }
    }

    QTemporaryDir folder;
    const QString image = writeImage(folder, size);
    if (image.isEmpty()) {
        std::fprintf(stderr, "nuvrel-rom-ui-stall: cannot write the image\n");
        return 1;
    }
    ScriptedPrompts prompts(image);
    nuvrel::DeviceOperationRunner runner;
    nuvrel::installLibraryMessageHandler(&runner);
    nuvrel::SelectedImage selection;
    nuvrel::PatchList patches;
    nuvrel::CROMPage page(runner, selection, patches);
    page.show();

    Heartbeat heartbeat;
    QElapsedTimer clock;
    QEventLoop loop;

    // "In File": the capacity query and the image check run on the user-interface thread.
    heartbeat.start();
    clock.start();
    QTimer::singleShot(0, &page, [&] {
        page.inFileButton()->click();
        QTimer::singleShot(0, &loop, &QEventLoop::quit);
    });
    loop.exec();
    heartbeat.stop();
    report("In File", heartbeat, static_cast<double>(clock.nsecsElapsed()) / 1e9);
    if (!page.writeButton()->isEnabled()) {
        std::fprintf(stderr, "nuvrel-rom-ui-stall: the image was not selected (no device?)\n");
        return 1;
    }

    // "Write" with "Verify data": from the click until the controls are back.
    page.verifyBox()->setChecked(verify);
    QObject::connect(&runner, &nuvrel::DeviceOperationRunner::operationEnded, &loop,
                     &QEventLoop::quit);
    heartbeat.start();
    clock.start();
    QTimer::singleShot(0, &page, [&] { page.writeButton()->click(); });
    loop.exec();
    heartbeat.stop();
    report(verify ? "Write+verify" : "Write", heartbeat,
           static_cast<double>(clock.nsecsElapsed()) / 1e9);

    const QString status = page.statusLine()->text();
    std::printf("status: %s\n", qPrintable(status));
    nuvrel::removeLibraryMessageHandler();
    return status == QStringLiteral("Write Complite") && !prompts.messages ? 0 : 1;
}
