// The "PocketNES Options" dialog on its own: what a row shows, what goes
// into the entry and the settings file when the row loses the selection, the
// follow switches, the save slot and title checks, "Write!" and "Cancel".
#include "pocketnes_options_dialog.h"

#include "fake_prompts.h"
#include "ini_profile.h"
#include "qt_text.h"
#include "rom_admission.h"
#include "rom_list.h"
#include "test_files.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <memory>
#include <optional>

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
        RomEntry* entry = nullptr;
        admitRomFile(list.get(), path, ini(), &entry);
        return entry;
    }

    bool open()
    {
        dialog = std::make_unique<PocketNesOptionsDialog>(prompts, list.get(), ini());
        dialog->show();
        dialog->activateWindow();
        return QTest::qWaitForWindowActive(dialog.get());
    }

    QTreeWidget* rows() const { return dialog->findChild<QTreeWidget*>(QStringLiteral("rowsView")); }
    QLineEdit* field(const char* name) const { return dialog->findChild<QLineEdit*>(QLatin1String(name)); }
    QCheckBox* box(const char* name) const { return dialog->findChild<QCheckBox*>(QLatin1String(name)); }
    QPushButton* button(const char* name) const { return dialog->findChild<QPushButton*>(QLatin1String(name)); }

    void selectRow(int row)
    {
        const QRect rect = rows()->visualItemRect(rows()->topLevelItem(row));
        QTest::mouseClick(rows()->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    }
    void retype(const char* name, const QString& text)
    {
        QLineEdit* f = field(name);
        f->setFocus();
        f->selectAll();
        QTest::keyClick(f, Qt::Key_Delete);
        QInputMethodEvent typed;
        typed.setCommitString(text);
        QCoreApplication::sendEvent(f, &typed);
    }
    std::optional<std::string> stored(const std::string& name) const
    {
        return IniSnapshot::load(ini()).value("PocketNES", name);
    }
    std::vector<bool> switches() const
    {
        std::vector<bool> on;
        for (const char* name : {"speedHack1Box", "speedHack2Box", "speedHack3Box", "noVblankWaitBox",
                                 "followSpriteBox", "followMemoryBox", "profilingBox"}) {
            on.push_back(box(name)->isChecked());
        }
        return on;
    }
};

std::vector<int> pocketOf(const RomEntry* e)
{
    return {e->pocketFlags, e->pocketFollow, e->pocketSlot};
}

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

        QCOMPARE(h.dialog->windowTitle(), QStringLiteral("PocketNES Options"));
        QCOMPARE(h.rows()->headerItem()->text(0), QStringLiteral("Filename"));
        QCOMPARE(h.rows()->headerItem()->text(1), QStringLiteral("Slot"));
        QCOMPARE(h.rows()->columnWidth(0), 165);
        QCOMPARE(h.rows()->topLevelItem(1)->text(0), QStringLiteral("Hacks.nes"));
        QCOMPARE(h.rows()->topLevelItem(0)->text(1), QStringLiteral("0"));
        QCOMPARE(h.rows()->topLevelItem(1)->text(1), QString());
        QCOMPARE(h.rows()->topLevelItem(2)->text(1), QStringLiteral("4"));
        QCOMPARE(h.dialog->focusWidget(), h.button("writeButton"));

        // A ROM without remembered values.
        QVERIFY(h.rows()->topLevelItem(0)->isSelected());
        QCOMPARE(h.switches(), std::vector<bool>(7, false));
        QCOMPARE(h.field("titleField")->text(), QStringLiteral("Plain"));
        QVERIFY(!h.field("followSpriteField")->isEnabled() && !h.field("followMemoryField")->isEnabled());
        QCOMPARE(h.field("followSpriteField")->text(), QString());
        QCOMPARE(h.field("saveSlotField")->text(), QStringLiteral("0"));
        QVERIFY(h.field("saveSlotField")->isEnabled());

        h.selectRow(1);
        QCOMPARE(h.switches(), (std::vector<bool>{true, false, true, false, false, false, false}));
        QCOMPARE(h.field("titleField")->text(), QStringLiteral("Hacked"));
        QCOMPARE(h.field("saveSlotField")->text(), QString());
        QVERIFY(!h.field("saveSlotField")->isEnabled());

        h.selectRow(2);
        QCOMPARE(h.switches(), (std::vector<bool>{false, false, false, false, false, true, false}));
        QCOMPARE(h.field("followMemoryField")->text(), QStringLiteral("9"));
        QVERIFY(h.field("followMemoryField")->isEnabled() && !h.field("followSpriteField")->isEnabled());
        h.selectRow(0);

        // Enter in a field, a switch or the list leaves the dialog open.
        for (QWidget* w : std::initializer_list<QWidget*>{h.field("titleField"), h.box("profilingBox"), h.rows()}) {
            w->setFocus();
            QTest::keyClick(w, Qt::Key_Return);
        }
        QVERIFY(h.dialog->isVisible());

        QTest::mouseClick(h.button("writeButton"), Qt::LeftButton);
        QCOMPARE(h.dialog->result(), int(QDialog::Accepted));
        QCOMPARE(readText(h.ini()), settingsBefore);
        QVERIFY(h.prompts.calls.isEmpty());
    }

    void flagsAreNormalisedWhenARowIsStored()
    {
        DialogHarness h;
        RomEntry* both = h.addRom("Both.nes", false, "48|7|0|Both");   // 0x30
        RomEntry* high = h.addRom("High.nes", false, "128|0|0|High");  // 0x80
        RomEntry* loose = h.addRom("Loose.nes", false, "0|7|0|Loose");
        QVERIFY(h.open());

        QCOMPARE(h.switches(), (std::vector<bool>{false, false, false, false, true, false, false}));
        QCOMPARE(h.field("followSpriteField")->text(), QStringLiteral("7"));
        h.selectRow(1);
        QCOMPARE(pocketOf(both), (std::vector<int>{0x10, 7, 0}));
        QCOMPARE(h.stored("Both.nes"), std::optional<std::string>("16|7|0|Both"));
        QCOMPARE(h.switches(), std::vector<bool>(7, false));

        h.selectRow(2);
        QCOMPARE(pocketOf(high), (std::vector<int>{0, 0, 0}));
        QCOMPARE(h.stored("High.nes"), std::optional<std::string>("0|0|0|High"));
        QVERIFY(!h.field("followSpriteField")->isEnabled() && !h.field("followMemoryField")->isEnabled());

        h.selectRow(0);
        QCOMPARE(pocketOf(loose), (std::vector<int>{0, 0, 0}));
        QCOMPARE(h.stored("Loose.nes"), std::optional<std::string>("0|0|0|Loose"));
    }

    void followSwitchesExcludeEachOther()
    {
        DialogHarness h;
        RomEntry* first = h.addRom("First.nes", false, "16|3|0|First");
        RomEntry* second = h.addRom("Second.nes", false, "16|3|0|Second");
        QVERIFY(h.open());

        QTest::mouseClick(h.box("followMemoryBox"), Qt::LeftButton);
        QVERIFY(!h.box("followSpriteBox")->isChecked());
        QVERIFY(!h.field("followSpriteField")->isEnabled());
        QVERIFY(h.field("followMemoryField")->isEnabled());
        QCOMPARE(h.field("followSpriteField")->text(), QStringLiteral("3"));  // kept, but no longer counts
        h.retype("followMemoryField", QStringLiteral("12"));
        h.selectRow(1);
        QCOMPARE(pocketOf(first), (std::vector<int>{0x20, 12, 0}));
        QCOMPARE(h.stored("First.nes"), std::optional<std::string>("32|12|0|First"));

        // An empty follow field stores 0; switching the sprite off disables its field.
        QTest::mouseClick(h.box("followMemoryBox"), Qt::LeftButton);
        h.retype("followMemoryField", QString());
        h.selectRow(0);
        QCOMPARE(pocketOf(second), (std::vector<int>{0x20, 0, 0}));
        QTest::mouseClick(h.box("followSpriteBox"), Qt::LeftButton);
        QVERIFY(h.box("followSpriteBox")->isChecked() && h.field("followSpriteField")->isEnabled());
        QVERIFY(!h.box("followMemoryBox")->isChecked());
        QTest::mouseClick(h.box("followSpriteBox"), Qt::LeftButton);
        QVERIFY(!h.field("followSpriteField")->isEnabled());
    }

    void saveSlotAndTitleChecks()
    {
        DialogHarness h;
        RomEntry* saved = h.addRom("Saved.nes", true, "0|0|2|Saved");
        RomEntry* plain = h.addRom("NoBattery.nes", false, "0|0|3|Plain");
        QVERIFY(h.open());

        h.retype("saveSlotField", QStringLiteral("9"));
        h.field("titleField")->setFocus();
        QCOMPARE(h.field("saveSlotField")->text(), QStringLiteral("8"));
        QCOMPARE(h.rows()->topLevelItem(0)->text(1), QStringLiteral("8"));
        h.field("saveSlotField")->setFocus();
        QTest::keyClick(h.field("saveSlotField"), Qt::Key_Up);
        QCOMPARE(h.field("saveSlotField")->text(), QStringLiteral("8"));
        QTest::keyClick(h.field("saveSlotField"), Qt::Key_Down);
        QCOMPARE(h.field("saveSlotField")->text(), QStringLiteral("7"));

        // Double-byte characters go; a title of nothing else gives the stored one back.
        h.retype("titleField", QStringLiteral("カナ"));
        h.rows()->setFocus();
        QCOMPARE(h.field("titleField")->text(), QStringLiteral("Saved"));
        h.retype("titleField", QStringLiteral("Aｶ漢B"));
        h.rows()->setFocus();
        QCOMPARE(h.field("titleField")->text(), QStringLiteral("AｶB"));
        // Typing stops at 29 bytes.
        h.retype("titleField", QString());
        QTest::keyClicks(h.field("titleField"), QString(35, QLatin1Char('x')));
        QCOMPARE(h.field("titleField")->text(), QString(29, QLatin1Char('x')));
        h.retype("titleField", QStringLiteral("AｶB"));

        h.selectRow(1);
        QCOMPARE(pocketOf(saved), (std::vector<int>{0, 0, 7}));
        QCOMPARE(saved->pocketTitle, std::optional<std::string>("A\xB6" "B"));
        QCOMPARE(h.stored("Saved.nes"), std::optional<std::string>("0|0|7|AｶB"));

        // A game without battery always stores slot 0.
        QVERIFY(!h.field("saveSlotField")->isEnabled());
        QCOMPARE(h.rows()->topLevelItem(1)->text(1), QString());
        QTest::mouseClick(h.button("writeButton"), Qt::LeftButton);
        QCOMPARE(pocketOf(plain), (std::vector<int>{0, 0, 0}));
        QCOMPARE(h.stored("NoBattery.nes"), std::optional<std::string>("0|0|0|Plain"));
        QCOMPARE(h.dialog->result(), int(QDialog::Accepted));
    }

    void cancelKeepsRowsStoredBefore()
    {
        DialogHarness h;
        RomEntry* one = h.addRom("One.nes", false);
        RomEntry* two = h.addRom("Two.nes", false);
        QVERIFY(h.open());
        QTest::mouseClick(h.box("speedHack2Box"), Qt::LeftButton);
        h.selectRow(1);
        QTest::mouseClick(h.box("profilingBox"), Qt::LeftButton);
        QTest::mouseClick(h.button("cancelButton"), Qt::LeftButton);
        QCOMPARE(h.dialog->result(), int(QDialog::Rejected));
        QCOMPARE(pocketOf(one), (std::vector<int>{0x02, 0, 0}));
        QCOMPARE(h.stored("One.nes"), std::optional<std::string>("2|0|0|One"));
        QCOMPARE(pocketOf(two), (std::vector<int>{0, 0, 0}));
        QCOMPARE(h.stored("Two.nes"), std::nullopt);
    }

    void overlongStoredTitleHoldsTheDialogOpen()
    {
        DialogHarness h;
        // Sixteen katakana: 32 bytes, more than a PocketNES title may have.
        RomEntry* e = h.addRom("Long.nes", false);
        const std::string kana = toCp932(QString(16, QChar(0x30AB)));
        romEntrySetPocket(e, kana, 0, 0, 0);
        QVERIFY(h.open());
        QTest::mouseClick(h.button("writeButton"), Qt::LeftButton);
        QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("29 文字以内で入力してください。")});
        QVERIFY(h.dialog->isVisible());
        QCOMPARE(h.dialog->focusWidget(), h.field("titleField"));
        h.retype("titleField", QStringLiteral("Short"));
        QTest::mouseClick(h.button("writeButton"), Qt::LeftButton);
        QCOMPARE(h.dialog->result(), int(QDialog::Accepted));
        QCOMPARE(h.stored("Long.nes"), std::optional<std::string>("0|0|0|Short"));
    }
};

QTEST_MAIN(PocketNesOptionsDialogTest)
#include "pocketnes_options_dialog_test.moc"
