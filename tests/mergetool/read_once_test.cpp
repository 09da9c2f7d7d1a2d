// SPDX-License-Identifier: GPL-3.0-or-later
// However many files a command of the romweld window takes, it reads the
// settings and romweld.cfg as often as it does for one, and opens each ROM
// once to admit it: the cost of a command grows with the list, not with its
// square.
#include "open_counter.h"
#include "window_harness.h"

#include <QFileInfo>

namespace {

// The opens of romweld.ini, romweld.cfg and of the ROMs (under roms/ and
// roms/many/) while command runs.
struct Opens {
    int settings = 0;
    int config = 0;
    std::map<std::string, int> roms;
};

template <typename Command>
Opens countOpens(WindowHarness& h, Command command)
{
    std::vector<std::string> folders;
    for (const char* folder : {"", "roms/", "roms/many/"}) {
        if (fileExists(h.dir.file(folder))) folders.push_back(h.dir.file(folder));
    }
    OpenCounter counter(folders);
    if (!counter.watching()) qFatal("inotify is not available");
    command();
    Opens opens;
    for (const auto& [path, count] : counter.take()) {
        if (path == h.dir.file("romweld.ini")) opens.settings = count;
        if (path == h.dir.file("romweld.cfg")) opens.config = count;
        if (path.find("/roms/") != std::string::npos) opens.roms[path] = count;
    }
    return opens;
}

}  // namespace

class ReadOnceTest : public QObject {
    Q_OBJECT

private slots:
    void addDropAndLoadListReadTheSettingsOnce()
    {
        WindowHarness h;
        const QStringList one = h.roms(1);
        const QStringList many = h.roms(40, "roms/many/");
        for (int i = 0; i < many.size(); ++i) {
            h.setSetting("TITLE", QFileInfo(many[i]).fileName().toStdString(), "Title " + std::to_string(i));
        }
        QVERIFY(h.open());

        const Opens addOne = countOpens(h, [&] { h.add(one); });
        QCOMPARE(h.dialog->romList()->count, 1);
        // The chooser's folder, the admission, and the folder remembered
        // (a write reads the file first to keep its other lines).
        QCOMPARE(addOne.settings, 3);
        // The size label takes romweld.cfg from start-up.
        QCOMPARE(addOne.config, 0);

        const Opens addMany = countOpens(h, [&] { h.add(many.mid(0, 20)); });
        QCOMPARE(h.dialog->romList()->count, 21);
        QCOMPARE(addMany.settings, addOne.settings);
        QCOMPARE(addMany.config, 0);
        const Opens drop = countOpens(h, [&] { h.drop(many.mid(20)); });
        QCOMPARE(h.dialog->romList()->count, 41);
        // A drop asks no chooser and remembers no folder: the admission's reading alone.
        QCOMPARE(drop.settings, 1);
        // Each ROM is opened once to be admitted.
        QCOMPARE(addOne.roms, (std::map<std::string, int>{{one.front().toStdString(), 1}}));
        QCOMPARE(static_cast<int>(addMany.roms.size()), 20);
        QCOMPARE(static_cast<int>(drop.roms.size()), 20);
        for (const auto& [path, count] : addMany.roms) QCOMPARE(count, 1);
        for (const auto& [path, count] : drop.roms) QCOMPARE(count, 1);

        std::string lines = "### ROMWELD NES List ###\r\n";
        for (const QString& path : many) lines += path.toStdString() + "\r\n";
        writeText(h.dir.file("many.lst"), lines);
        h.prompts.openFileAnswers << qs(h.dir.file("many.lst"));
        const Opens load = countOpens(h, [&] { h.click("loadListButton"); });
        QCOMPARE(h.dialog->romList()->count, 40);
        // The chooser's folder, the admission, and the folder remembered.
        QCOMPARE(load.settings, 3);
        QCOMPARE(load.config, 0);
        QCOMPARE(QString::fromStdString(*h.dialog->romList()->tail->title), QStringLiteral("Title 39"));
        QCOMPARE(h.messages(), QStringList());
    }

    void createImageReadsRomweldCfgOnce()
    {
        WindowHarness h;
        QVERIFY(h.open());
        h.add(h.roms(30));
        h.field("gbaFileField")->setText(qs(h.dir.file("out.gba")));
        const Opens create = countOpens(h, [&] { h.click("createImageButton"); });
        QVERIFY(fileExists(h.dir.file("out.gba")));
        // The size asked about and the image written come from one reading.
        QCOMPARE(create.config, 1);
        // Each ROM once, to be copied.
        QCOMPARE(static_cast<int>(create.roms.size()), 30);
        for (const auto& [name, count] : create.roms) QCOMPARE(count, 1);
    }
};

QTEST_MAIN(ReadOnceTest)
#include "read_once_test.moc"
