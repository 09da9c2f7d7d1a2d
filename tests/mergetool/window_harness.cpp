#include "window_harness.h"

#include "ini_profile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QUrl>
#include <filesystem>

namespace {

template <typename W>
W* childOf(const QWidget* window, const char* name)
{
    W* widget = window->findChild<W*>(QLatin1String(name));
    if (widget == nullptr) qFatal("no widget %s", name);
    return widget;
}

}  // namespace

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

WindowHarness::WindowHarness(bool withConfig)
{
    if (!withConfig) return;
    writeText(dir.file("romweld.cfg"),
              "[list]\nnum=3\nlist0=kvl-v01\nlist1=KVL-V02b\nlist2=pocketnes\n"
              "[kvl-v01]\nshell=kvl1.gba\n"
              "[KVL-V02b]\nshell=kvl2.gba\nfile0=font.bin,font,bin\n"
              "[pocketnes]\nshell=pnes.gba\ntype=PNES\n");
    writeBytes(dir.file("kvl1.gba"), patternBytes(1000, 11));
    writeBytes(dir.file("kvl2.gba"), patternBytes(2000, 12));
    writeBytes(dir.file("font.bin"), patternBytes(101, 13));
    writeBytes(dir.file("pnes.gba"), patternBytes(3000, 14));
}

std::optional<std::string> WindowHarness::setting(const char* section, const std::string& key) const
{
    return IniSnapshot::load(ini()).value(section, key);
}

void WindowHarness::setSetting(const char* section, const std::string& key, const std::string& value)
{
    iniWriteString(ini(), section, key, value);
}

std::string WindowHarness::rom(const std::string& name, std::size_t size, unsigned char byte6,
                               unsigned char byte7)
{
    const std::string path = dir.file("roms/" + name);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    writeBytes(path, makeInesRom(size, byte6, byte7, static_cast<unsigned>(name.size() + size)));
    return path;
}

QStringList WindowHarness::roms(int count, const std::string& folder)
{
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const std::string name = (i < 10 ? "0" : "") + std::to_string(i) + ".nes";
        const std::string path = dir.file(folder + name);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        writeBytes(path, makeInesRom(64 + static_cast<std::size_t>(i) * 4, 0, 0, static_cast<unsigned>(i)));
        paths << qs(path);
    }
    return paths;
}

bool WindowHarness::open(MergeToolDialog::ListFactory makeList)
{
    dialog = std::make_unique<MergeToolDialog>(prompts, exe(), nullptr, std::move(makeList));
    dialog->show();
    dialog->activateWindow();
    return QTest::qWaitForWindowActive(dialog.get());
}

QPushButton* WindowHarness::button(const char* name) const { return childOf<QPushButton>(dialog.get(), name); }
QListWidget* WindowHarness::list() const { return childOf<QListWidget>(dialog.get(), "romList"); }
QLineEdit* WindowHarness::field(const char* name) const { return childOf<QLineEdit>(dialog.get(), name); }
QLabel* WindowHarness::label(const char* name) const { return childOf<QLabel>(dialog.get(), name); }
QRadioButton* WindowHarness::radio(const char* name) const { return childOf<QRadioButton>(dialog.get(), name); }
QCheckBox* WindowHarness::fixHeaderBox() const { return childOf<QCheckBox>(dialog.get(), "fixHeaderBox"); }
QComboBox* WindowHarness::variantSelector() const { return childOf<QComboBox>(dialog.get(), "variantSelector"); }

void WindowHarness::add(const QStringList& paths)
{
    prompts.openFilesAnswers << paths;
    QTest::mouseClick(button("addButton"), Qt::LeftButton);
}

void WindowHarness::drop(const QStringList& paths)
{
    QList<QUrl> urls;
    for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
    QMimeData data;
    data.setUrls(urls);
    const QPointF at(list()->mapTo(dialog.get(), list()->rect().center()));
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(dialog.get(), &enter);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(dialog.get(), &drop);
}

QStringList WindowHarness::rows() const
{
    QStringList texts;
    for (int i = 0; i < list()->count(); ++i) texts << list()->item(i)->text();
    return texts;
}

std::vector<int> WindowHarness::selectedRows() const
{
    std::vector<int> rows;
    for (int i = 0; i < list()->count(); ++i) {
        if (list()->item(i)->isSelected()) rows.push_back(i);
    }
    return rows;
}

int WindowHarness::firstVisibleRow() const
{
    const QModelIndex index = list()->indexAt(QPoint(1, 1));
    return index.isValid() ? index.row() : 0;
}

void WindowHarness::clickRow(int row, Qt::KeyboardModifiers modifiers)
{
    QListWidget* view = list();
    const QRect rect = view->visualItemRect(view->item(row));
    if (!view->viewport()->rect().contains(rect.center())) qFatal("row %d is not in view", row);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers, rect.center());
}

void WindowHarness::commitTitle(const QString& text)
{
    QLineEdit* title = field("romTitleField");
    title->setFocus();
    title->clear();
    // Text arrives as an input method commits it, so any character can be typed.
    QInputMethodEvent typed;
    typed.setCommitString(text);
    QCoreApplication::sendEvent(title, &typed);
    list()->setFocus();
}

std::vector<std::string> WindowHarness::entryPaths() const
{
    std::vector<std::string> paths;
    for (RomEntry* e = dialog->romList()->head; e != nullptr; e = e->next) paths.push_back(e->path);
    return paths;
}
