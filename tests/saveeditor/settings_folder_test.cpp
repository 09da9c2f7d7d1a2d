// SPDX-License-Identifier: GPL-3.0-or-later
// An installed sramedit keeps its settings in the user's settings folder,
// which the first settings write makes; cancelling at once makes nothing.
#include "fake_prompts.h"
#include "ini_profile.h"
#include "save_editor_dialog.h"
#include "test_files.h"

#include <QTest>
#include <sys/stat.h>

class SettingsFolderTest : public QObject {
    Q_OBJECT

private slots:
    void firstWriteMakesTheUserSettingsFolder()
    {
        TempDir dir;
        FakePrompts prompts;
        const std::string settings = dir.file("home/.config/romweld/sramedit.ini");

        SaveEditorDialog cancelled(prompts, settings);
        prompts.openFileAnswers << std::nullopt;
        QVERIFY(!cancelled.start());
        QVERIFY(!fileExists(dir.file("home")));

        SaveEditorDialog dialog(prompts, settings);
        const std::string save = dir.file("cart.sav");
        prompts.openFileAnswers << QString::fromStdString(save);
        prompts.choiceAnswers << 0;  // "File not found.\nCreate new savefile?": Korvalinde
        QVERIFY(dialog.start());
        QCOMPARE(iniReadString(settings, "CONFIG", "LastKvlSaveFile", "", 4096), save);
        struct stat st {};
        QCOMPARE(::stat(dir.file("home/.config/romweld").c_str(), &st), 0);
        QCOMPARE(st.st_mode & 0777, 0700u);
    }
};

QTEST_MAIN(SettingsFolderTest)
#include "settings_folder_test.moc"
