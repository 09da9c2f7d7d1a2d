// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_harness.h"

#include "ini_profile.h"
#include "qt_text.h"

#include <QDropEvent>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QUrl>
#include <filesystem>

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

QString sizeText(long long bytes)
{
    return QStringLiteral("GBA file size : %1 Bytes").arg(bytes);
}

bool showActive(QWidget* window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

void typeInto(QLineEdit* field, const QString& text)
{
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QInputMethodEvent typed;
    typed.setCommitString(text);
    QCoreApplication::sendEvent(field, &typed);
}

QString pocketOf(const RomEntry* e)
{
    return QStringLiteral("%1|%2|%3|%4")
        .arg(e->pocketFlags)
        .arg(e->pocketFollow)
        .arg(e->pocketSlot)
        .arg(fromCp932(e->pocketTitle.value_or("")));
}

WindowHarness::WindowHarness(bool withConfig)
{
    env.home = dir.file("home");
    env.dataDirs = dir.file("system");
    if (withConfig) writeConfig(dir.path());
}

void WindowHarness::writeConfig(const std::string& folder) const
{
    std::filesystem::create_directories(folder);
    writeText(folder + "romweld.cfg",
              "[list]\nnum=3\nlist0=kvl-v01\nlist1=KVL-V02b\nlist2=pocketnes\n"
              "[kvl-v01]\nshell=kvl1.gba\n"
              "[KVL-V02b]\nshell=kvl2.gba\nfile0=font.bin,font,bin\n"
              "[pocketnes]\nshell=pnes.gba\ntype=PNES\n");
    writeBytes(folder + "kvl1.gba", patternBytes(1000, 11));
    writeBytes(folder + "kvl2.gba", patternBytes(2000, 12));
    writeBytes(folder + "font.bin", patternBytes(101, 13));
    writeBytes(folder + "pnes.gba", patternBytes(3000, 14));
}

std::string WindowHarness::ini() const
{
    if (fileExists(dir.file("romweld.cfg"))) return dir.file("romweld.ini");
    return dir.file("home/.config/romweld/romweld.ini");
}

std::optional<std::string> WindowHarness::setting(const char* section, const std::string& key) const
{
    return IniSnapshot::load(ini()).value(section, key);
}

void WindowHarness::setSetting(const char* section, const std::string& key, const std::string& value)
{
    std::filesystem::create_directories(std::filesystem::path(ini()).parent_path());
    iniWriteString(ini(), section, key, value);
}

// A ROM file at a path below the program folder; its full path.
static std::string writeRom(const TempDir& dir, const std::string& name, const Bytes& bytes)
{
    const std::string path = dir.file(name);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    writeBytes(path, bytes);
    return path;
}

std::string WindowHarness::rom(const std::string& name, std::size_t size, unsigned char byte6,
                               unsigned char byte7)
{
    return writeRom(dir, "roms/" + name, makeInesRom(size, byte6, byte7, static_cast<unsigned>(name.size() + size)));
}

QStringList WindowHarness::roms(int count, const std::string& folder)
{
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const std::string name = folder + (i < 10 ? "0" : "") + std::to_string(i) + ".nes";
        paths << qs(writeRom(dir, name, makeInesRom(64 + static_cast<std::size_t>(i) * 4, 0, 0, unsigned(i))));
    }
    return paths;
}

bool WindowHarness::open(MergeToolDialog::ListFactory makeList)
{
    dialog = std::make_unique<MergeToolDialog>(prompts, exe(), env, nullptr, std::move(makeList));
    return showActive(dialog.get());
}

void WindowHarness::add(const QStringList& paths)
{
    prompts.openFilesAnswers << paths;
    click("addButton");
}

void WindowHarness::chooseVariant(int index)
{
    QComboBox* selector = variantSelector();
    selector->setFocus();
    while (selector->currentIndex() < index) QTest::keyClick(selector, Qt::Key_Down);
    while (selector->currentIndex() > index) QTest::keyClick(selector, Qt::Key_Up);
}

void WindowHarness::createImage(const std::string& output)
{
    field("gbaFileField")->setText(qs(output));
    click("createImageButton");
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

QStringList WindowHarness::messages()
{
    const QStringList texts = prompts.texts();
    prompts.clear();
    return texts;
}

QStringList WindowHarness::panels() const
{
    // The count as shown: without the mark of its Alt key.
    return {field("romTitleField")->text(), label("infoPanel")->text(),
            label("countLabel")->text().remove(QLatin1Char('&'))};
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
    typeInto(field("romTitleField"), text);
    list()->setFocus();
}

std::vector<std::string> WindowHarness::entryPaths() const
{
    std::vector<std::string> paths;
    for (RomEntry* e = dialog->romList()->head; e != nullptr; e = e->next) paths.push_back(e->path);
    return paths;
}
