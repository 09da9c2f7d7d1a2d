// "Save List" and "Load List": the ROM list's paths in a list file and back.
#include "merge_tool_dialog.h"

#include "ini_profile.h"
#include "list_file.h"
#include "merge_tool_settings.h"
#include "path_text.h"
#include "prompts.h"
#include "qt_text.h"

namespace {

FileChooser listFileChooser(const std::string& settingsPath, const QString& title)
{
    FileChooser chooser;
    chooser.title = title;
    chooser.filter = QStringLiteral("List files(*.lst)|*.lst|All files(*.*)|*.*||");
    chooser.defaultExtension = QStringLiteral("lst");
    chooser.initialFolder =
        fromPlatform(iniReadString(settingsPath, SETTINGS_CONFIG, "ListPath", "", SETTING_VALUE_MAX));
    return chooser;
}

// Both choosers open where the last list file was chosen, whether or not it
// could be opened.
void rememberListFolder(const std::string& settingsPath, const std::string& listPath)
{
    iniWriteString(settingsPath, SETTINGS_CONFIG, "ListPath", folderOf(listPath));
}

}  // namespace

void MergeToolDialog::onSaveList()
{
    if (!list_) return;
    if (list_->count == 0) {
        prompts_.showMessage(QStringLiteral("No NES Roms to write"));
        return;
    }
    takeFields();
    FileChooser chooser = listFileChooser(settingsPath_, QStringLiteral("Save the ROM list"));
    chooser.confirmOverwrite = true;
    const std::optional<QString> chosen = prompts_.chooseSaveFile(chooser);
    if (!chosen || chosen->isEmpty()) return;

    const std::string path = toPlatform(*chosen);
    rememberListFolder(settingsPath_, path);
    // The list file appears only when complete; an old one stays until then.
    if (writeListFile(path, list_.get()) != 0) prompts_.showMessage(QStringLiteral("Can't Open File"));
}

void MergeToolDialog::onLoadList()
{
    if (!list_) return;
    takeFields();
    FileChooser chooser = listFileChooser(settingsPath_, QStringLiteral("Load a ROM list"));
    chooser.mustExist = true;
    const std::optional<QString> chosen = prompts_.chooseOpenFile(chooser);
    if (!chosen) return;
    if (chosen->isEmpty()) {
        showFields();
        return;
    }

    const std::string path = toPlatform(*chosen);
    std::vector<std::string> paths;
    const int read = readListFile(path, paths);
    rememberListFolder(settingsPath_, path);
    // Until the header has matched, the list and the window stay as they were.
    switch (read) {
    case LIST_READ_OK: break;
    case LIST_CANT_OPEN: prompts_.showMessage(QStringLiteral("Can't Open File")); return;
    case LIST_WRONG_HEADER: prompts_.showMessage(QStringLiteral("Wrong List File Error")); return;
    default: prompts_.showMessage(QStringLiteral("Read Error")); return;
    }

    // The new list is made before the old one goes, so the window never
    // stands without one.
    std::unique_ptr<RomList> fresh = romListCreate();
    if (!fresh) {
        prompts_.showMessage(QStringLiteral("Memory 不足です。"));
        return;
    }
    list_ = std::move(fresh);
    for (const std::string& romPath : paths) addRomFile(fromPlatform(romPath), QStringLiteral("\nis not NES file."));

    refreshRomList();
    selectOnly(0);
    // An empty result leaves nothing to describe.
    romTitle_ = entryTitle(list_->head);
    showRomInfo(list_->head);
    updateSizeLabels();
    showFields();
}
