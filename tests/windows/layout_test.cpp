// SPDX-License-Identifier: GPL-3.0-or-later
// Both windows and the PocketNES options dialog as laid out offscreen at
// their default size and at their smallest: no button's text is cut, every
// button has its own mnemonic, every row of the ROM list has one height,
// and the lists are reached with Tab.
#include "editor_harness.h"
#include "window_harness.h"

#include "pocketnes_options_dialog.h"

#include <QAbstractButton>
#include <QLayout>
#include <QStyle>
#include <QStyleOptionButton>
#include <QToolButton>
#include <QTreeWidget>

namespace {

// The room a button's style leaves for its text.
int textRoom(QAbstractButton* button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    QStyle::SubElement element = QStyle::SE_PushButtonContents;
    if (qobject_cast<QCheckBox*>(button) != nullptr) element = QStyle::SE_CheckBoxContents;
    if (qobject_cast<QRadioButton*>(button) != nullptr) element = QStyle::SE_RadioButtonContents;
    return button->style()->subElementRect(element, &option, button).width();
}

// The buttons of window whose text is wider than the room they have, as
// "name: text needs N, has M".
QStringList clippedButtons(QWidget* window)
{
    QStringList clipped;
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (!button->isVisibleTo(window) || qobject_cast<QToolButton*>(button) != nullptr) continue;
        const QString shown = QString(button->text()).remove(QLatin1Char('&'));
        const int needs = button->fontMetrics().horizontalAdvance(shown);
        const int has = textRoom(button);
        if (needs > has) clipped << QStringLiteral("%1: \"%2\" needs %3, has %4").arg(button->objectName(), shown).arg(needs).arg(has);
    }
    return clipped;
}

// The same at the default size and at the smallest size the window allows.
void checkNoClippedText(QWidget* window)
{
    QVERIFY(showActive(window));
    QStringList clipped = clippedButtons(window);
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join('\n')));
    const QSize defaultSize = window->size();
    window->resize(1, 1);
    QCoreApplication::processEvents();
    QVERIFY2(window->width() >= window->layout()->minimumSize().width() &&
                 window->height() >= window->layout()->minimumSize().height(),
             "the window shrinks below what its controls need");
    clipped = clippedButtons(window);
    QVERIFY2(clipped.isEmpty(), qPrintable("at the smallest size:\n" + clipped.join('\n')));
    window->resize(defaultSize);
}

// Every button (push, check and radio) has a mnemonic, no two the same letter.
void checkMnemonics(QWidget* window)
{
    QStringList letters;
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (qobject_cast<QToolButton*>(button) != nullptr) continue;
        const QString text = button->text();
        const int amp = text.indexOf(QLatin1Char('&'));
        QVERIFY2(amp >= 0 && amp + 1 < text.size(), qPrintable(button->objectName() + ": " + text));
        const QString letter = text.mid(amp + 1, 1).toLower();
        QVERIFY2(!letters.contains(letter), qPrintable("two buttons on " + letter + ": " + text));
        letters << letter;
    }
}

// Presses Tab from start until target has the focus; false when the whole
// chain went round without it.
bool reachedWithTab(QWidget* window, QWidget* start, QWidget* target)
{
    start->setFocus(Qt::OtherFocusReason);
    for (int i = 0; i < 40; ++i) {
        QTest::keyClick(window->focusWidget(), Qt::Key_Tab);
        if (window->focusWidget() == target) return true;
    }
    return false;
}

}  // namespace

class LayoutTest : public QObject {
    Q_OBJECT

private slots:
    void romweldWindow()
    {
        WindowHarness h;
        QVERIFY(h.open());
        checkNoClippedText(h.dialog.get());
        checkMnemonics(h.dialog.get());
        QVERIFY(reachedWithTab(h.dialog.get(), h.button("quitButton"), h.list()));
        QVERIFY(h.dialog->minimumSize().width() > 200 && h.dialog->minimumSize().height() > 200);
    }

    void romweldRowsHaveOneHeight()
    {
        WindowHarness h;
        QStringList paths = {qs(h.rom("ゼルダ.nes"))};
        paths << h.roms(3) << qs(h.rom("Gyp.nes"));
        QVERIFY(h.open());
        const auto heights = [&h] {
            QList<int> out;
            for (int row = 0; row < h.list()->count(); ++row) out << h.list()->visualItemRect(h.list()->item(row)).height();
            return out;
        };
        // Room for descenders, and a little between the rows.
        const int least = h.list()->fontMetrics().lineSpacing() + 2;

        // Added with the Japanese name first, sorted with it last.
        h.add(paths);
        const QList<int> added = heights();
        QCOMPARE(added.size(), 5);
        for (const int height : added) QCOMPARE(height, added.front());
        QVERIFY(added.front() >= least);
        QTest::mouseClick(h.radio("showFilename"), Qt::LeftButton);
        QTest::mouseClick(h.radio("sortByTitle"), Qt::LeftButton);
        h.click("sortButton");
        QCOMPARE(h.rows().back(), QStringLiteral("ゼルダ.nes"));
        QCOMPARE(heights(), added);
        QTest::mouseClick(h.radio("showFullPathname"), Qt::LeftButton);
        QCOMPARE(heights(), added);
    }

    void pocketNesOptionsDialog()
    {
        WindowHarness h;
        QVERIFY(h.open());
        h.add(h.roms(2));
        PocketNesOptionsDialog dialog(h.prompts, h.dialog->romList(), h.ini());
        checkNoClippedText(&dialog);
        checkMnemonics(&dialog);
        // The switches and the follow value are explained where they are.
        for (QWidget* w : dialog.findChildren<QWidget*>()) {
            if (qobject_cast<QCheckBox*>(w) != nullptr || w->objectName().startsWith(QStringLiteral("follow"))) {
                QVERIFY2(!w->toolTip().isEmpty(), qPrintable(w->objectName()));
            }
        }
    }

    void srameditWindow()
    {
        for (const bool packed : {false, true}) {
            EditorHarness h;
            const std::string path = packed ? h.put("cart.sav", PackedImageBytes().add(RECORD_SV, "Game", 100).bytes())
                                            : h.put("cart.sav", SaveImageBytes().bytes());
            QVERIFY(h.open(path));
            QCOMPARE(h.dialog->packedMode(), packed);
            checkNoClippedText(h.dialog.get());
            checkMnemonics(h.dialog.get());
            QVERIFY(reachedWithTab(h.dialog.get(), h.button("extractButton"), h.list()));
            QVERIFY(reachedWithTab(h.dialog.get(), h.button("writeButton"), h.list()));
        }
    }
};

QTEST_MAIN(LayoutTest)
#include "layout_test.moc"
