// SPDX-License-Identifier: GPL-3.0-or-later
// The romweld window installed (no romweld.cfg beside the program): the shell
// configuration from the XDG data folders, the settings in the user's
// settings folder, sramedit from PATH; and the files a file manager hands it.
#include "window_harness.h"

#include "ini_profile.h"

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void writeProgram(const std::string& path)
{
    writeText(path, "#!/bin/sh\n");
    ::chmod(path.c_str(), 0755);
}

}  // namespace

class InstalledFoldersTest : public QObject {
    Q_OBJECT

private slots:
    void configurationComesFromTheFirstDataFolderThatHoldsIt()
    {
        WindowHarness h(false);
        const std::string userData = h.dir.file("home/.local/share/romweld/");
        h.writeConfig(userData);
        // A system-wide configuration comes after the user's own.
        h.writeConfig(h.dir.file("system/romweld/"));
        writeText(h.dir.file("system/romweld/romweld.cfg"), "[list]\nnum=1\nlist0=other\n[other]\nshell=kvl1.gba\n");
        const std::string rom = h.rom("Game.nes", 300);

        QVERIFY(h.open());
        QCOMPARE(h.messages(), QStringList());
        QCOMPARE(h.dialog->folders().configDir, userData);
        QCOMPARE(h.variantSelector()->count(), 3);
        QCOMPARE(h.label("sizeLabel")->text(), sizeText(2148 + 44));  // the end record included

        // The shell and its extra file are read from where romweld.cfg was found.
        h.add({qs(rom)});
        h.field("gbaFileField")->setText(qs(h.dir.file("out.gba")));
        h.click("createImageButton");
        QCOMPARE(h.messages(), QStringList());
        Bytes head = readBytes(h.dir.file("out.gba"));
        head.resize(2000);
        QCOMPARE(head, patternBytes(2000, 12));

        // Settings go to the user's settings folder, made on the first write;
        // nothing is written beside the program.
        const std::string settings = h.dir.file("home/.config/romweld/romweld.ini");
        QCOMPARE(h.ini(), settings);
        QCOMPARE(IniSnapshot::load(settings).value("CONFIG", "KVLVersion"), std::optional<std::string>("KVL-V02b"));
        QVERIFY(!fileExists(h.dir.file("romweld.ini")));
        struct stat st {};
        QCOMPARE(::stat(h.dir.file("home/.config/romweld").c_str(), &st), 0);
        QCOMPARE(st.st_mode & 0777, 0700u);

        // XDG_CONFIG_HOME and XDG_DATA_HOME move both folders.
        WindowHarness moved(false);
        moved.env.configHome = moved.dir.file("cfg");
        moved.env.dataHome = moved.dir.file("data");
        moved.writeConfig(moved.dir.file("data/romweld/"));
        QVERIFY(moved.open());
        QCOMPARE(moved.messages(), QStringList());
        QVERIFY(fileExists(moved.dir.file("cfg/romweld/romweld.ini")));
        QVERIFY(!fileExists(moved.dir.file("home")));
    }

    void unusableConfigurationIsNamed()
    {
        WindowHarness h(false);
        const std::string system = h.dir.file("system/romweld/");
        h.writeConfig(system);
        ::unlink((system + "kvl1.gba").c_str());
        ::unlink((system + "kvl2.gba").c_str());
        ::unlink((system + "pnes.gba").c_str());
        h.dialog = std::make_unique<MergeToolDialog>(h.prompts, h.exe(), h.env);
        QCOMPARE(h.messages(), QStringList{QStringLiteral("Put Korvalinde files on same directory.\nAbort Program.\n\n"
                                                          "No usable shell variant in:\n") +
                                           qs(system + "romweld.cfg")});
        QVERIFY(h.dialog->closePosted());
    }

    void withoutAnyHomeNothingIsKeptAnywhere()
    {
        // No HOME and no settings folder: the window works, and its list is
        // kept nowhere rather than in whatever folder it was started from.
        WindowHarness h(false);
        h.env.home.clear();
        h.env.configHome.clear();
        h.writeConfig(h.dir.file("system/romweld/"));
        const std::string rom = h.rom("Game.nes", 300);
        struct InFolder {
            std::filesystem::path saved = std::filesystem::current_path();
            explicit InFolder(const std::string& folder) { std::filesystem::current_path(folder); }
            ~InFolder() { std::filesystem::current_path(saved); }
        } inTestFolder(h.dir.path());
        QVERIFY(h.open());
        QCOMPARE(h.dialog->settingsPath(), std::string());
        h.add({qs(rom)});
        h.dialog->reject();
        QCOMPARE(h.messages(), QStringList());
        QVERIFY(!fileExists(h.dir.file("-window.lst")));
    }

    void editorStartsBesideRomweldElseFromPath()
    {
        WindowHarness h;
        const std::string bin = h.dir.file("bin/");
        ::mkdir(bin.c_str(), 0755);
        writeText(bin + "sramedit", "not a program\n");  // not executable: skipped
        ::mkdir(h.dir.file("bin2").c_str(), 0755);
        writeProgram(h.dir.file("bin2/sramedit"));
        h.env.searchPath = bin + ":relative/bin:" + h.dir.file("bin2");
        QVERIFY(h.open());
        h.click("editorButton");
        writeProgram(h.dir.file("sramedit"));
        h.click("editorButton");
        QStringList started;
        for (const FakePrompts::Call& call : h.prompts.callsOf(QStringLiteral("start"))) started << call.text;
        QCOMPARE(started, (QStringList{qs(h.dir.file("bin2/sramedit")), qs(h.dir.file("sramedit"))}));
    }

    void filesFromTheCommandLineAreAddedAsDropped()
    {
        WindowHarness h;
        const QStringList roms = h.roms(2);
        writeText(h.dir.file("notes.txt"), "not a ROM");
        QVERIFY(h.open());
        h.dialog->addFiles({roms[0], qs(h.dir.file("notes.txt")), roms[1]});
        QCOMPARE(h.messages(), QStringList{qs(h.dir.file("notes.txt")) + QStringLiteral("\nis not NES file")});
        QCOMPARE(h.entryPaths(), (std::vector<std::string>{roms[0].toStdString(), roms[1].toStdString()}));
    }
};

QTEST_MAIN(InstalledFoldersTest)
#include "installed_folders_test.moc"
