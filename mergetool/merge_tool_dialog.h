// SPDX-License-Identifier: GPL-3.0-or-later
// The window of romweld: the ROM list, its titles, the shell variant and the
// commands that turn them into a GBA cartridge image.
//
// Every command follows one frame: take the fields (copy the controls into
// the window's own fields), work on the fields and the ROM list, show the
// fields (copy them back into the controls). Questions, file choosers and the
// start of sramedit go through the Prompts the window was given.
#pragma once

#include "archive_reader.h"
#include "file_io.h"
#include "ini_profile.h"
#include "list_file.h"
#include "list_history.h"
#include "program_folders.h"
#include "report.h"
#include "rom_list.h"
#include "shell_config.h"

#include <QDialog>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

struct ListAdmission;

class Prompts;
class ProblemSummary;
class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QStatusBar;
class QToolButton;
class QUndoStack;
class TitleByteLimit;

class MergeToolDialog : public QDialog {
    Q_OBJECT

public:
    // Makes the empty ROM list at set-up; tests hand in one that fails.
    using ListFactory = std::function<std::unique_ptr<RomList>()>;

    // Input limits of the ROM title and GBA title fields, in characters.
    static constexpr int ROM_TITLE_LIMIT = 31;
    // What a title holds: 21 characters (a double-byte one counts as one), 32 bytes.
    static constexpr int ROM_TITLE_CHARS = 21;
    static constexpr int ROM_TITLE_BYTES = 32;
    static constexpr int GBA_TITLE_LIMIT = 12;

    // Builds the controls and runs the window's set-up: settings, shell
    // variants, initial fields. executablePath and env locate romweld.cfg,
    // the shells, sramedit and the settings file (findRomweldFolders).
    MergeToolDialog(Prompts& prompts, const std::string& executablePath, const FolderEnvironment& env,
                    QWidget* parent = nullptr, ListFactory makeList = romListCreate);
    ~MergeToolDialog() override;

    // True when set-up found no usable shell variant and asked the window to
    // close; the close happens when the event loop next runs.
    bool closePosted() const { return closePosted_; }

    RomList* romList() const { return list_.get(); }
    const std::vector<ShellVariant>& variants() const { return variants_; }
    const RomweldFolders& folders() const { return folders_; }
    const std::string& settingsPath() const { return settingsPath_; }

    // Files named on the command line (a file manager's "Open with"): added
    // as files dropped on the window are.
    void addFiles(const QStringList& paths);

    // Commits a ROM title typed but not yet committed, then runs the closing
    // steps once, whatever closed the window.
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // A list could not be made for want of memory: the window says so in the
    // system's own words.
    void sayOutOfMemory();
    // Set-up and closing (merge_tool_dialog.cpp).
    void createControls();
    void setUp(const std::string& executablePath, const FolderEnvironment& env, const ListFactory& makeList);
    QString noVariantMessage() const;
    void runClosingSteps();
    void showAbout();
    // The list kept across a restart (window_list_commands.cpp).
    std::string windowListPath() const;
    // settings: the settings file as set-up read it.
    void restoreWindowList(const IniSnapshot& settings);
    // A kept list that can't be read (readWindowList gave read) is
    // moved aside and the user told where.
    void setAsideUnreadableList(const ListResult& read);
    void keepWindowList();

    // The fields (merge_tool_dialog.cpp). takeFields is false when a field
    // was refused; the fields before it are taken all the same.
    bool takeFields();
    void showFields();

    // Window steps shared by the commands (rom_list_panels.cpp).
    void refreshRomList();
    int romRowHeight() const;
    void updateSizeLabels();
    void showRomInfo(const RomEntry* entry);
    const ShellVariant* currentVariant() const;
    // What admitting a command's files found besides their ROMs: files or
    // archive members that can't be read, and files inside archives that
    // are no NES ROMs. Told in one message when the command's files are in.
    struct AdmitFindings {
        QStringList unreadable;  // restored entries whose file or archive member can't be read now
        CollectedReport problems;
        int skipped = 0;
        // One reader for the command's archive members, so the members of
        // one archive listed in their order are read in one pass.
        ArchiveMemberReader archives;
        // Added paths that differ from a listed one's only in letter case,
        // with the listed one.
        std::vector<std::pair<std::string, std::string>> caseTwins;
    };
    // Admits one file (an archive: each NES ROM in it) with the settings the
    // command read once for all its files; a file that is no NES ROM is
    // named with suffix.
    void addRomFile(const QString& path, const QString& suffix, const IniSnapshot& settings,
                    AdmitFindings& findings);
    void addRomFiles(const QStringList& paths, const QString& suffix);
    void showAdmitFindings(const AdmitFindings& findings);
    // The parts of a findings message that tell skipped files inside
    // archives and names that differ only in letter case.
    static QStringList admitNotes(int skipped, const std::vector<std::pair<std::string, std::string>>& caseTwins);
    // Load List's one message: what could not be added, and why the list
    // was not read to its end.
    void showListFindings(const std::string& listPath, const ListAdmission& admitted, const ProblemSummary& problems);
    // A list that replaced the last one whole: shown from its first entry,
    // which alone is selected and described.
    void showReplacedList();
    std::vector<int> selectedRows() const;
    int firstVisibleRow() const;
    void scrollToFirstVisible(int row);
    void selectOnly(int row);
    void markSelectedEntries(const std::vector<int>& rows);
    void clearAllMarks();
    QString entryTitle(const RomEntry* entry) const;

    // Keeping the selection while files are added ("Add" and dropped files).
    struct AddingState {
        bool hadSelection = false;
        int top = 0;
    };
    AddingState beforeAdding();
    void afterAdding(const AddingState& state);

    // Commands of the ROM list and the fields (rom_list_commands.cpp).
    void onAdd();
    void onFilesDropped(const QStringList& paths);
    void onDelete();
    void onUp();
    void onDown();
    void moveSelectedRows(int direction);
    void onSort();
    void onDisplayModeChanged(int mode);
    void onSelectionChanged();
    void onRomTitleCommitted();
    // Says in the status line that a title was cut to its limit.
    void showTitleCut(const QString& kept);
    void onBrowseGbaFile();
    void onVariantChanged(int index);
    void onFixHeaderClicked(bool checked);
    void onPadImageClicked(bool checked);
    void onTrimOverdumpsClicked(bool checked);
    void onCleanTitlesToggled(bool checked);
    void onSavedataEditor();
    void onRomDoubleClicked(QListWidgetItem* item);
    void openPocketNesOptions(int row);

    // The history of the list, for Undo and Redo (list_history_commands.cpp).
    // A command takes the list's state before it changes the list and
    // records a step with it afterwards; a command that changed nothing
    // records none.
    ListState listState(const ListState* earlier) const;
    void recordStep(const QString& text, const ListState& before);
    void recordTitleStep(const ListState& before, std::vector<TitleSetting> settingsBefore,
                         std::vector<TitleSetting> settingsAfter);
    ListStep::Apply stepApplier();
    void pushStep(ListStep* step, ListState after);
    void applyListState(const ListState& state, bool titles, const std::vector<TitleSetting>& settings);
    void createHistoryActions();

    // List files (list_file_commands.cpp) and the image (create_image_command.cpp).
    void onSaveList();
    void onLoadList();
    void onCreateImage();
    // Reads the entries that could not be read again; false when none is
    // left to build (the user was told).
    bool leaveOutUnreadableRoms();
    int unreadableCount() const;
    bool confirmImageSize(const ShellVariant& variant);
    bool confirmMappers(const ShellVariant& variant);
    bool confirmDumps();

    // The splash screen of PocketNES images (splash_commands.cpp).
    void onChooseSplash();
    void onClearSplash();
    // Reads the picture at splashPath_ into the splash fields and the
    // preview; false when it can't be read (splashProblem_ says why).
    bool readSplash();
    // The splash the image gets with the chosen variant: null for none.
    const std::vector<unsigned char>* splashForImage() const;
    void showSplashPreview();

    Prompts& prompts_;

    // Controls.
    QPushButton* createImageButton_ = nullptr;
    QPushButton* quitButton_ = nullptr;
    QLabel* countLabel_ = nullptr;
    QLabel* sizeLabel_ = nullptr;
    QListWidget* romListView_ = nullptr;
    QPushButton* upButton_ = nullptr;
    QPushButton* downButton_ = nullptr;
    QPushButton* addButton_ = nullptr;
    QPushButton* deleteButton_ = nullptr;
    QButtonGroup* sortKeyGroup_ = nullptr;
    QPushButton* sortButton_ = nullptr;
    QButtonGroup* displayModeGroup_ = nullptr;
    QPushButton* editorButton_ = nullptr;
    QLineEdit* romTitleField_ = nullptr;
    TitleByteLimit* romTitleLimit_ = nullptr;
    QLineEdit* gbaFileField_ = nullptr;
    QPushButton* browseButton_ = nullptr;
    QCheckBox* fixHeaderBox_ = nullptr;
    QCheckBox* padImageBox_ = nullptr;
    QCheckBox* trimOverdumpsBox_ = nullptr;
    QLabel* splashPreview_ = nullptr;
    QPushButton* splashButton_ = nullptr;
    QToolButton* clearSplashButton_ = nullptr;
    QLabel* infoPanel_ = nullptr;
    QComboBox* variantSelector_ = nullptr;
    QLineEdit* gbaTitleField_ = nullptr;
    QPushButton* saveListButton_ = nullptr;
    QPushButton* loadListButton_ = nullptr;
    QToolButton* aboutButton_ = nullptr;
    QAction* pocketOptionsAction_ = nullptr;
    QAction* cleanTitlesAction_ = nullptr;
    QStatusBar* statusLine_ = nullptr;
    QUndoStack* history_ = nullptr;
    QAction* undoAction_ = nullptr;
    QAction* redoAction_ = nullptr;
    // The list as the last step left it, whose entries later states share.
    ListState lastState_;

    // The window's fields.
    QString gbaFileName_;
    QString romTitle_;
    QString countText_;
    QString sizeText_;
    QString sizeWarning_;   // why the size is too large; empty while it fits a cartridge
    QString infoText_;
    int displayMode_ = 1;   // 0 file name, 1 full path, 2 ROM title
    int sortKey_ = 0;       // 0 file name, 1 ROM title
    QString gbaTitle_;
    bool fixHeader_ = false;
    bool padImage_ = false;     // 0xFF up to a power of two
    bool trimOverdumps_ = false;  // ROMs written only as far as their headers promise
    // The picture chosen for PocketNES's splash screen (empty: none), the
    // splash screen it gives, and why it gives none when it can't be read.
    QString splashPath_;
    std::vector<unsigned char> splash_;
    QString splashProblem_;
    QPixmap splashThumbnail_;  // splash_ as the preview shows it
    bool cleanTitles_ = false;  // titles from file names drop their tags
    int variantIndex_ = -1;

    // Where romweld.cfg was found (shells and extra files are taken from
    // there), the program's own folder and the settings file.
    RomweldFolders folders_;
    std::string settingsPath_;
    std::string searchPath_;  // $PATH, where sramedit is looked for when it isn't beside romweld
    std::unique_ptr<RomList> list_;
    std::vector<ShellVariant> variants_;
    // romweld.cfg as read at start-up, and again by each "Create Image": the
    // variants and the size labels are taken from it without reading it again.
    IniSnapshot config_;

    bool closePosted_ = false;
    bool closed_ = false;
    // The list kept from the last run was restored: from then on the
    // window's list is the one to keep at close.
    bool restored_ = false;
    // The kept list as this window read it, and the file as it was then.
    WindowListState restoredState_;
    FileFacts keptFacts_;
};
