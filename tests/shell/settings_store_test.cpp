// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The remembered folders: exact value names under the one key, and the dialogs around them.
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "shell/remembered_folder.h"
#include "shell/settings_store.h"
#include "support/gui_test_main.h"
#include "support/recording_prompts.h"

using namespace nuvrel;
using nuvrel::testing::RecordingPrompts;

namespace {

const QString key = QString::fromLatin1(SettingsKey);

QString settingsFilePath() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Nuvrel"),
                     QString())
        .fileName();
}

QString stored(const char* name) {
    QString value = QStringLiteral("<missing>");
    ReadSettingString(key, QString::fromLatin1(name), value);
    return value;
}

}  // namespace

class SettingsStoreTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { QFile::remove(settingsFilePath()); }

    void every_value_name_round_trips_under_the_params_group() {
        const char* names[] = {kLoadRomDir, kSaveRomDir,    kLoadRamDir,
                               kSaveRamDir, kLoadGgCodeDir, kSaveGgCodeDir};
        int i = 0;
        for (const char* name : names) {
            QVERIFY(WriteSettingString(key, QString::fromLatin1(name),
                                       QStringLiteral("/folder/%1").arg(i++)));
        }
        i = 0;
        for (const char* name : names) {
            QString buffer;
            QVERIFY(ReadSettingString(key, QString::fromLatin1(name), buffer));
            QCOMPARE(buffer, QStringLiteral("/folder/%1").arg(i++));
        }
        // The values live in the per-user file of the organisation, group "Params", under
        // exactly these names.
        QSettings file(settingsFilePath(), QSettings::IniFormat);
        file.beginGroup(QStringLiteral("Params"));
        QCOMPARE(file.childKeys().size(), 6);
        QCOMPARE(file.value(QStringLiteral("Load GG Code Dir")).toString(),
                 QStringLiteral("/folder/4"));
        QCOMPARE(file.value(QStringLiteral("Save RAM Dir")).toString(),
                 QStringLiteral("/folder/3"));
        QVERIFY(settingsFilePath().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
    }

    void folders_with_unusual_characters_come_back_unchanged_data() {
        QTest::addColumn<QString>("folder");
        QTest::newRow("comma and spaces") << QStringLiteral("/home/u/games, old/set 1");
        QTest::newRow("non-ASCII") << QStringLiteral("/home/ü/Spiele/ゲーム");
        QTest::newRow("backslashes") << QStringLiteral("C:\\Games\\Genesis");
        QTest::newRow("equals and semicolon") << QStringLiteral("/a=b;c#d");
        QTest::newRow("long path") << QStringLiteral("/deep").repeated(80);
    }

    void folders_with_unusual_characters_come_back_unchanged() {
        QFETCH(QString, folder);
        QVERIFY(WriteSettingString(key, QString::fromLatin1(kSaveRomDir), folder));
        QString buffer;
        QVERIFY(ReadSettingString(key, QString::fromLatin1(kSaveRomDir), buffer));
        QCOMPARE(buffer, folder);
    }

    void a_missing_value_leaves_the_buffer_as_it_was() {
        QString buffer = QStringLiteral("suggested.srm");
        QVERIFY(!ReadSettingString(key, QString::fromLatin1(kSaveRamDir), buffer));
        QCOMPARE(buffer, QStringLiteral("suggested.srm"));
        QVERIFY(!QFile::exists(settingsFilePath()));
    }

    void writing_replaces_the_earlier_value() {
        WriteSettingString(key, QString::fromLatin1(kLoadRomDir), QStringLiteral("/first"));
        WriteSettingString(key, QString::fromLatin1(kLoadRomDir), QStringLiteral("/second"));
        QCOMPARE(stored(kLoadRomDir), QStringLiteral("/second"));
    }

    void first_open_dialog_starts_at_the_default_and_stores_the_chosen_folder() {
        QTemporaryDir games;
        const QString image = QDir(games.path()).filePath(QStringLiteral("sonic.bin"));
        RecordingPrompts prompts;
        prompts.paths.push_back(image);

        QCOMPARE(chooseFileToOpen(nullptr, QString::fromLatin1(kLoadRomDir), QStringLiteral("*")),
                 image);
        QCOMPARE(prompts.dialogs.size(), std::size_t{1});
        QVERIFY(!prompts.dialogs[0].save);
        QVERIFY(prompts.dialogs[0].start.isEmpty());
        QCOMPARE(stored(kLoadRomDir), QDir::toNativeSeparators(games.path()));
        QCOMPARE(stored(kSaveRomDir), QStringLiteral("<missing>"));
    }

    void the_next_dialog_of_the_same_kind_starts_in_the_remembered_folder() {
        QTemporaryDir games;
        RecordingPrompts prompts;
        prompts.paths.push_back(QDir(games.path()).filePath(QStringLiteral("a.gen")));
        chooseFileToOpen(nullptr, QString::fromLatin1(kLoadRomDir), QString());
        // Another page's dialog that shares "Load ROM Dir" starts there too.
        chooseFileToOpen(nullptr, QString::fromLatin1(kLoadRomDir), QString());
        QCOMPARE(prompts.dialogs.size(), std::size_t{2});
        QCOMPARE(prompts.dialogs[1].start, QDir::toNativeSeparators(games.path()));
    }

    void cancelling_a_dialog_stores_nothing() {
        WriteSettingString(key, QString::fromLatin1(kLoadRamDir), QStringLiteral("/kept"));
        RecordingPrompts prompts;
        prompts.paths.push_back(QString());
        QVERIFY(chooseFileToOpen(nullptr, QString::fromLatin1(kLoadRamDir), QString()).isEmpty());
        QVERIFY(chooseFileToSave(nullptr, QString::fromLatin1(kSaveRamDir), QString()).isEmpty());
        QCOMPARE(stored(kLoadRamDir), QStringLiteral("/kept"));
        QCOMPARE(stored(kSaveRamDir), QStringLiteral("<missing>"));
    }

    void a_deleted_folder_falls_back_to_the_default() {
        QString gone;
        {
            QTemporaryDir folder;
            gone = folder.path();
            WriteSettingString(key, QString::fromLatin1(kLoadGgCodeDir), gone);
        }
        QVERIFY(!QFileInfo::exists(gone));
        RecordingPrompts prompts;
        chooseFileToOpen(nullptr, QString::fromLatin1(kLoadGgCodeDir), QString());
        QCOMPARE(prompts.dialogs.size(), std::size_t{1});
        QVERIFY(prompts.dialogs[0].start.isEmpty());
    }

    void save_dialog_offers_the_suggested_name_in_the_remembered_folder() {
        QTemporaryDir saves;
        RecordingPrompts prompts;
        prompts.paths.push_back(QDir(saves.path()).filePath(QStringLiteral("game.srm")));
        chooseFileToSave(nullptr, QString::fromLatin1(kSaveRamDir), QString(),
                         QStringLiteral("game.srm"));
        chooseFileToSave(nullptr, QString::fromLatin1(kSaveRamDir), QString(),
                         QStringLiteral("game.srm"));
        QCOMPARE(prompts.dialogs.size(), std::size_t{2});
        QVERIFY(prompts.dialogs[0].save);
        QCOMPARE(prompts.dialogs[0].start, QStringLiteral("game.srm"));
        QCOMPARE(prompts.dialogs[1].start,
                 QDir(QDir::toNativeSeparators(saves.path())).filePath(QStringLiteral("game.srm")));
        QCOMPARE(stored(kSaveRamDir), QDir::toNativeSeparators(saves.path()));
    }

    void save_dialog_without_a_suggested_name_starts_in_the_remembered_folder() {
        QTemporaryDir dumps;
        WriteSettingString(key, QString::fromLatin1(kSaveRomDir), dumps.path());
        RecordingPrompts prompts;
        chooseFileToSave(nullptr, QString::fromLatin1(kSaveRomDir), QString());
        QCOMPARE(prompts.dialogs.size(), std::size_t{1});
        QCOMPARE(prompts.dialogs[0].start, dumps.path());
    }

    void a_deleted_folder_still_offers_the_suggested_name() {
        QString gone;
        {
            QTemporaryDir folder;
            gone = folder.path();
            WriteSettingString(key, QString::fromLatin1(kSaveRamDir), gone);
        }
        RecordingPrompts prompts;
        chooseFileToSave(nullptr, QString::fromLatin1(kSaveRamDir), QString(),
                         QStringLiteral("game.srm"));
        QCOMPARE(prompts.dialogs.size(), std::size_t{1});
        QCOMPARE(prompts.dialogs[0].start, QStringLiteral("game.srm"));
        QCOMPARE(stored(kSaveRamDir), gone);
    }
};

NUVREL_GUI_TEST(SettingsStoreTest)
#include "settings_store_test.moc"
