// SPDX-License-Identifier: GPL-3.0-or-later
// The "PocketNES Options" dialog on its own: what a row shows, what goes
// into the entry and the settings file when the row loses the selection, the
// follow switches, the save slot and title checks, "Write!" and "Cancel".
#include "pocketnes_options_dialog.h"

#include "ini_profile.h"
#include "qt_text.h"
#include "report.h"
#include "rom_admission.h"
#include "window_harness.h"

#include <QTreeWidget>
#include <filesystem>

namespace {

struct DialogHarness {
    TempDir dir;
    FakePrompts prompts;
    std::unique_ptr<RomList> list = romListCreate();
    std::unique_ptr<PocketNesOptionsDialog> dialog;

    std::string ini() const { return dir.file("romweld.ini"); }

    // A ROM with or without battery, with a stored "PocketNES" value when given.
    RomEntry* addRom(const std::string& name, bool battery, const std::string& pocketValue = {})
    {
        const std::string path = dir.file(name);
        writeBytes(path, makeInesRom(256, battery ? 0x02 : 0x00, 0, static_cast<unsigned>(name.size())));
        if (!pocketValue.empty()) iniWriteString(ini(), "PocketNES", name, pocketValue);
        CollectedReport report;
        return admitRomPath(list.get(), path, IniSnapshot::load(ini()), false, report).first;
    }

    bool open()
    {
        dialog = std::make_unique<PocketNesOptionsDialog>(prompts, list.get(), ini());
        return showActive(dialog.get());
    }

    QTreeWidget* rows() const { return dialog->findChild<QTreeWidget*>(QStringLiteral("rowsView")); }
    QLineEdit* field(const char* name) const { return dialog->findChild<QLineEdit*>(QLatin1String(name)); }
    QCheckBox* box(const char* name) const { return dialog->findChild<QCheckBox*>(QLatin1String(name)); }
    void click(const char* name) const
    {
        QTest::mouseClick(dialog->findChild<QAbstractButton*>(QLatin1String(name)), Qt::LeftButton);
    }
    QString slotCell(int row) const { return rows()->topLevelItem(row)->text(1); }

    void selectRow(int row)
    {
        const QRect rect = rows()->visualItemRect(rows()->topLevelItem(row));
        QTest::mouseClick(rows()->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    }
    // What the entry holds, then what the settings file holds for its ROM.
    QString held(const RomEntry* e) const
    {
        const std::string name = std::filesystem::path(e->path).filename().string();
        return pocketOf(e) + " / " + qs(IniSnapshot::load(ini()).value("PocketNES", name).value_or("nothing"));
    }
    // What the controls show: the switches as 0 or 1 (Speed Hack 1, 2, 3, No
    // VBLANK Wait, Screen Follows Sprite, Screen Follows Memory, Profiling),
    // then the fields, each marked "(off)" when disabled.
    QString shown() const
    {
        QString text;
        for (const char* name : {"speedHack1Box", "speedHack2Box", "speedHack3Box", "noVblankWaitBox",
                                 "followSpriteBox", "followMemoryBox", "profilingBox"}) {
            text += box(name)->isChecked() ? '1' : '0';
        }
        for (const char* name : {"followSprite", "followMemory", "saveSlot", "title"}) {
            const QLineEdit* f = field((std::string(name) + "Field").c_str());
            text += QStringLiteral(" %1=%2%3").arg(name, f->text(), f->isEnabled() ? "" : " (off)");
        }
        return text;
    }
};

}  // namespace

class PocketNesOptionsDialogTest : public QObject {
    Q_OBJECT

private slots:
    void rowsShowTheirEntriesAndUntouchedRowsWriteNothing()
    {
        DialogHarness h;
        h.addRom("Plain.nes", true);
        h.addRom("Hacks.nes", false, "5|0|0|Hacked");
        h.addRom("Memo.nes", true, "32|9|4|Memo");
        const std::string settingsBefore = readText(h.ini());
        QVERIFY(h.open());

        const QTreeWidgetItem* header = h.rows()->headerItem();
        QCOMPARE((QStringList{header->text(0), header->text(1)}), (QStringList{"Filename", "Slot"}));
        QCOMPARE(h.rows()->columnWidth(0), 165);
        QCOMPARE(h.rows()->topLevelItem(1)->text(0), QStringLiteral("Hacks.nes"));
        QCOMPARE((QStringList{h.slotCell(0), h.slotCell(1), h.slotCell(2)}), (QStringList{"0", "", "4"}));
        QCOMPARE(h.dialog->focusWidget(), h.dialog->findChild<QPushButton*>(QStringLiteral("writeButton")));

        // A ROM without remembered values; then a switch for each bit, and the follow-memory value.
        QVERIFY(h.rows()->topLevelItem(0)->isSelected());
        QCOMPARE(h.shown(), "0000000 followSprite= (off) followMemory= (off) saveSlot=0 title=Plain");
        h.selectRow(1);
        QCOMPARE(h.shown(), "1010000 followSprite= (off) followMemory= (off) saveSlot= (off) title=Hacked");
        h.selectRow(2);
        QCOMPARE(h.shown(), "0000010 followSprite= (off) followMemory=9 saveSlot=4 title=Memo");
        h.selectRow(0);

        // Enter in a field, a switch or the list leaves the dialog open.
        for (QWidget* w : std::initializer_list<QWidget*>{h.field("titleField"), h.box("profilingBox"), h.rows()}) {
            w->setFocus();
            QTest::keyClick(w, Qt::Key_Return);
        }
        QVERIFY(h.dialog->isVisible());

        h.click("writeButton");
        QCOMPARE(h.dialog->result(), int(QDialog::Accepted));
        // Nothing but where the dialog was, once, as it closed.
        const std::string after = readText(h.ini());
        QCOMPARE(after.substr(0, settingsBefore.size()), settingsBefore);
        QVERIFY(after.substr(settingsBefore.size()).rfind("[CONFIG]\nOptionsGeometry=", 0) == 0);
        QVERIFY(h.prompts.calls.isEmpty());
    }

    void flagsAreNormalisedWhenARowIsStored()
    {
        DialogHarness h;
        RomEntry* both = h.addRom("Both.nes", false, "48|7|0|Both");   // 0x30
        RomEntry* high = h.addRom("High.nes", false, "128|0|0|High");  // 0x80
        RomEntry* loose = h.addRom("Loose.nes", false, "0|7|0|Loose");
        QVERIFY(h.open());

        QCOMPARE(h.shown(), "0000100 followSprite=7 followMemory= (off) saveSlot= (off) title=Both");
        h.selectRow(1);
        QCOMPARE(h.held(both), "16|7|0|Both / 16|7|0|Both");
        QCOMPARE(h.shown(), "0000000 followSprite= (off) followMemory= (off) saveSlot= (off) title=High");
        h.selectRow(2);
        QCOMPARE(h.held(high), "0|0|0|High / 0|0|0|High");
        QCOMPARE(h.shown(), "0000000 followSprite= (off) followMemory= (off) saveSlot= (off) title=Loose");
        h.selectRow(0);
        QCOMPARE(h.held(loose), "0|0|0|Loose / 0|0|0|Loose");
    }

    void followSwitchesExcludeEachOther()
    {
        DialogHarness h;
        RomEntry* first = h.addRom("First.nes", false, "16|3|0|First");
        RomEntry* second = h.addRom("Second.nes", false, "16|3|0|Second");
        QVERIFY(h.open());

        // The sprite's number is kept, but no longer counts.
        h.click("followMemoryBox");
        QCOMPARE(h.shown(), "0000010 followSprite=3 (off) followMemory= saveSlot= (off) title=First");
        typeInto(h.field("followMemoryField"), QStringLiteral("12"));
        h.selectRow(1);
        QCOMPARE(h.held(first), "32|12|0|First / 32|12|0|First");

        // An empty follow field stores 0; switching the sprite off disables its field.
        h.click("followMemoryBox");
        typeInto(h.field("followMemoryField"), QString());
        h.selectRow(0);
        QCOMPARE(pocketOf(second), "32|0|0|Second");
        h.click("followSpriteBox");
        QCOMPARE(h.shown(), "0000100 followSprite= followMemory=12 (off) saveSlot= (off) title=First");
        h.click("followSpriteBox");
        QCOMPARE(h.shown(), "0000000 followSprite= (off) followMemory=12 (off) saveSlot= (off) title=First");
    }

    void saveSlotAndTitleChecks()
    {
        DialogHarness h;
        RomEntry* saved = h.addRom("Saved.nes", true, "0|0|2|Saved");
        RomEntry* plain = h.addRom("NoBattery.nes", false, "0|0|3|Plain");
        QVERIFY(h.open());

        typeInto(h.field("saveSlotField"), QStringLiteral("9"));
        h.field("titleField")->setFocus();
        QCOMPARE(h.field("saveSlotField")->text(), QStringLiteral("8"));
        QCOMPARE(h.slotCell(0), QStringLiteral("8"));
        h.field("saveSlotField")->setFocus();
        QTest::keyClick(h.field("saveSlotField"), Qt::Key_Up);
        QCOMPARE(h.field("saveSlotField")->text(), QStringLiteral("8"));
        QTest::keyClick(h.field("saveSlotField"), Qt::Key_Down);
        QCOMPARE(h.field("saveSlotField")->text(), QStringLiteral("7"));

        // Double-byte characters go; a title of nothing else gives the stored one back.
        typeInto(h.field("titleField"), QStringLiteral("カナ"));
        h.rows()->setFocus();
        QCOMPARE(h.field("titleField")->text(), QStringLiteral("Saved"));
        typeInto(h.field("titleField"), QStringLiteral("Aｶ漢B"));
        h.rows()->setFocus();
        QCOMPARE(h.field("titleField")->text(), QStringLiteral("AｶB"));
        // Typing stops at 29 bytes.
        typeInto(h.field("titleField"), QString());
        QTest::keyClicks(h.field("titleField"), QString(35, QLatin1Char('x')));
        QCOMPARE(h.field("titleField")->text(), QString(29, QLatin1Char('x')));
        typeInto(h.field("titleField"), QStringLiteral("AｶB"));

        h.selectRow(1);
        QCOMPARE(h.held(saved), "0|0|7|AｶB / 0|0|7|AｶB");

        // A game without battery always stores slot 0.
        QVERIFY(!h.field("saveSlotField")->isEnabled());
        QCOMPARE(h.slotCell(1), QString());
        h.click("writeButton");
        QCOMPARE(h.held(plain), "0|0|0|Plain / 0|0|0|Plain");
        QCOMPARE(h.dialog->result(), int(QDialog::Accepted));
    }

    void cancelKeepsRowsStoredBefore()
    {
        DialogHarness h;
        RomEntry* one = h.addRom("One.nes", false);
        RomEntry* two = h.addRom("Two.nes", false);
        QVERIFY(h.open());
        h.click("speedHack2Box");
        h.selectRow(1);
        h.click("profilingBox");
        h.click("cancelButton");
        QCOMPARE(h.dialog->result(), int(QDialog::Rejected));
        QCOMPARE(h.held(one), "2|0|0|One / 2|0|0");  // its PocketNES title follows its title
        QCOMPARE(h.held(two), "0|0|0|Two / nothing");
    }

    void overlongStoredTitleHoldsTheDialogOpen()
    {
        DialogHarness h;
        // Sixteen katakana: 32 bytes, more than a PocketNES title may have.
        RomEntry* e = h.addRom("Long.nes", false);
        romEntrySetPocket(e, toCp932(QString(16, QChar(0x30AB))), 0, 0, 0);
        QVERIFY(h.open());
        h.click("writeButton");
        QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("29 文字以内で入力してください。")});
        QVERIFY(h.dialog->isVisible());
        QCOMPARE(h.dialog->focusWidget(), h.field("titleField"));
        typeInto(h.field("titleField"), QStringLiteral("Short"));
        h.click("writeButton");
        QCOMPARE(h.dialog->result(), int(QDialog::Accepted));
        QCOMPARE(h.held(e), "0|0|0|Short / 0|0|0|Short");
    }
};

QTEST_MAIN(PocketNesOptionsDialogTest)
#include "pocketnes_options_dialog_test.moc"
