// SPDX-License-Identifier: GPL-3.0-or-later
// The romweld window: set-up from the settings and romweld.cfg, the fields,
// the keyboard, dropped files, the about box and closing.
#include "merge_tool_dialog.h"

#include "gba_header.h"
#include "ini_profile.h"
#include "merge_tool_settings.h"
#include "prompts.h"
#include "qt_text.h"
#include "romweld_version.h"
#include "title_limit.h"
#include "window_geometry.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPalette>
#include <QPushButton>
#include <QUrl>

MergeToolDialog::MergeToolDialog(Prompts& prompts, const std::string& executablePath,
                                 const FolderEnvironment& env, QWidget* parent, ListFactory makeList)
    : QDialog(parent), prompts_(prompts)
{
    createControls();
    setUp(executablePath, env, makeList);
}

MergeToolDialog::~MergeToolDialog() = default;

void MergeToolDialog::setUp(const std::string& executablePath, const FolderEnvironment& env,
                            const ListFactory& makeList)
{
    folders_ = findRomweldFolders(executablePath, env);
    settingsPath_ = folders_.settingsPath;
    searchPath_ = env.searchPath;

    list_ = makeList ? makeList() : nullptr;
    if (!list_) {
        // The window stays open, but every command that needs the list refuses to run.
        sayOutOfMemory();
        return;
    }

    // Both files are read once for the whole set-up.
    const IniSnapshot settings = IniSnapshot::load(settingsPath_);
    fixHeader_ = settings.readInt(SETTINGS_CONFIG, "FixHeader", 0) == 1;
    fixHeaderBox_->setChecked(fixHeader_);
    gbaTitleField_->setEnabled(fixHeader_);
    padImage_ = settings.readInt(SETTINGS_CONFIG, "PadImage", 0) == 1;
    trimOverdumps_ = settings.readInt(SETTINGS_CONFIG, "TrimOverdumps", 0) == 1;
    splashPath_ = fromPlatform(settings.readString(SETTINGS_CONFIG, "SplashScreen", "", SETTING_VALUE_MAX));
    readSplash();
    cleanTitles_ = settings.readInt(SETTINGS_CONFIG, "CleanTitles", 0) == 1;
    cleanTitlesAction_->setChecked(cleanTitles_);

    if (!folders_.configDir.empty()) {
        config_ = IniSnapshot::load(configPathOf(folders_.configDir));
        variants_ = loadShellVariants(folders_.configDir, config_);
    }
    if (variants_.empty()) {
        prompts_.showMessage(noVariantMessage());
        closePosted_ = true;
        QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
        return;
    }
    for (const ShellVariant& variant : variants_) variantSelector_->addItem(fromPlatform(variant.name));

    // A stored name may be a prefix; the full name of the variant it picks
    // replaces it, so the next start finds the same one. This is the
    // window's first write, so an installed romweld makes its settings
    // folder here.
    const std::string wanted = settings.readString(SETTINGS_CONFIG, "KVLVersion", DEFAULT_VARIANT, CONFIG_VALUE_MAX);
    variantIndex_ = chooseVariantIndex(variants_, wanted);
    const ShellVariant& chosen = variants_[static_cast<std::size_t>(variantIndex_)];
    makeSettingsFolder(settingsPath_);
    iniWriteString(settingsPath_, SETTINGS_CONFIG, "KVLVersion", chosen.name);

    updateSizeLabels();
    gbaFileName_ = fromPlatform(settings.readString(SETTINGS_CONFIG, "LastGBAFile", "", SETTING_VALUE_MAX));
    gbaTitle_ =
        fromPlatform(settings.readString(SETTINGS_CONFIG, "LastGBATitle", GBA_DEFAULT_TITLE, SETTING_VALUE_MAX));
    showFields();
    // As the user left it, on the screen it was on while that is there.
    restoreGeometryText(*this, settings.readString(SETTINGS_CONFIG, "WindowGeometry", "", SETTING_VALUE_MAX));
    restoreWindowList(settings);
}

QString MergeToolDialog::noVariantMessage() const
{
    QString text = QStringLiteral("Put Korvalinde files on same directory.\nAbort Program.");
    // Installed and portable folders differ, so the user is told which ones count.
    if (folders_.configDir.empty()) {
        text += QStringLiteral("\n\nromweld.cfg was looked for in:\n") + fromPlatform(joinFolders(folders_.searched, "\n"));
    } else {
        text += QStringLiteral("\n\nNo usable shell variant in:\n") + fromPlatform(configPathOf(folders_.configDir));
    }
    return text;
}

bool MergeToolDialog::takeFields()
{
    fixHeader_ = fixHeaderBox_->isChecked();
    padImage_ = padImageBox_->isChecked();
    trimOverdumps_ = trimOverdumpsBox_->isChecked();
    variantIndex_ = variantSelector_->currentIndex();
    gbaFileName_ = gbaFileField_->text();
    romTitle_ = romTitleField_->text();
    if (displayModeGroup_->checkedId() >= 0) displayMode_ = displayModeGroup_->checkedId();
    if (sortKeyGroup_->checkedId() >= 0) sortKey_ = sortKeyGroup_->checkedId();

    // Only a hand-edited "LastGBATitle" can be longer than the field allows.
    const QString gbaTitle = gbaTitleField_->text();
    if (gbaTitle.size() > GBA_TITLE_LIMIT) {
        prompts_.showMessage(QStringLiteral("%1 文字以内で入力してください。").arg(GBA_TITLE_LIMIT));
        gbaTitleField_->setFocus(Qt::OtherFocusReason);
        gbaTitleField_->selectAll();
        return false;
    }
    gbaTitle_ = gbaTitle;
    return true;
}

void MergeToolDialog::showFields()
{
    fixHeaderBox_->setChecked(fixHeader_);
    padImageBox_->setChecked(padImage_);
    trimOverdumpsBox_->setChecked(trimOverdumps_);
    showSplashPreview();
    if (variantIndex_ >= 0 && variantIndex_ < variantSelector_->count()) {
        variantSelector_->setCurrentIndex(variantIndex_);
    }
    gbaFileField_->setText(gbaFileName_);
    romTitleField_->setText(romTitle_);
    romTitleLimit_->takeCut();  // only what the user puts in counts
    // "Roms" carries the list's Alt key (Alt+M).
    countLabel_->setText(QString(countText_).replace(QStringLiteral("Roms."), QStringLiteral("Ro&ms.")));
    sizeLabel_->setText(sizeText_);
    // An image that can't run is marked where the user looks for its size.
    sizeLabel_->setToolTip(sizeWarning_);
    QPalette sizePalette = palette();
    if (!sizeWarning_.isEmpty()) sizePalette.setColor(QPalette::WindowText, QColor(0xC0, 0x00, 0x00));
    sizeLabel_->setPalette(sizePalette);
    QFont sizeFont = font();
    sizeFont.setBold(!sizeWarning_.isEmpty());
    sizeLabel_->setFont(sizeFont);
    infoPanel_->setText(infoText_);
    if (QAbstractButton* mode = displayModeGroup_->button(displayMode_)) mode->setChecked(true);
    if (QAbstractButton* key = sortKeyGroup_->button(sortKey_)) key->setChecked(true);
    gbaTitleField_->setText(gbaTitle_);
}

void MergeToolDialog::done(int result)
{
    if (!closed_) {
        closed_ = true;
        // Escape and the close box take no focus from the title field, so a
        // title typed there would be lost without this commit.
        if (romTitleField_->isModified()) onRomTitleCommitted();
        runClosingSteps();
    }
    QDialog::done(result);
}

void MergeToolDialog::runClosingSteps()
{
    // Where the window was, once, as it closes; a window never shown has no place.
    if (isVisible()) iniWriteString(settingsPath_, SETTINGS_CONFIG, "WindowGeometry", geometryText(*this));
    // "FixHeader" is remembered only for users who asked for it.
    if (iniReadInt(settingsPath_, SETTINGS_CONFIG, "FixHeaderCheckBox", 0) == 1) {
        iniWriteString(settingsPath_, SETTINGS_CONFIG, "FixHeader", fixHeaderBox_->isChecked() ? "1" : "0");
    }
    keepWindowList();
}

void MergeToolDialog::showAbout()
{
    prompts_.showAbout(QStringLiteral("About ROMWELD"), QStringLiteral("ROMWELD Version " ROMWELD_VERSION));
}

void MergeToolDialog::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter) {
        // Enter never closes the window; on a focused button it presses that button.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button != nullptr && button->isEnabled()) {
            button->click();
        }
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool MergeToolDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == romTitleField_ && event->type() == QEvent::FocusOut) {
        // Another window taking the activation (a message box, another
        // program) or the field's own context menu is no commit: the field
        // keeps the focus within this window.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) onRomTitleCommitted();
    } else if (watched == romListView_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Delete) onDelete();
        // Enter on a ROM opens its PocketNES options, as a double-click does.
        const ShellVariant* variant = currentVariant();
        const int row = romListView_->currentRow();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && variant != nullptr && variant->isPocketNes == 1 &&
            row >= 0) {
            openPocketNesOptions(row);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void MergeToolDialog::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MergeToolDialog::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MergeToolDialog::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) paths << url.toLocalFile();
    }
    event->acceptProposedAction();
    if (!paths.isEmpty()) onFilesDropped(paths);
}

void MergeToolDialog::addFiles(const QStringList& paths)
{
    if (!paths.isEmpty()) onFilesDropped(paths);
}

void MergeToolDialog::sayOutOfMemory()
{
    prompts_.showMessage(QStringLiteral("Memory 不足です。"));
}
