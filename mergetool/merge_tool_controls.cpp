// SPDX-License-Identifier: GPL-3.0-or-later
// The controls of the romweld window, their layout, focus order and wiring.
#include "merge_tool_dialog.h"

#include "gba_file_name.h"
#include "title_limit.h"

#include <QAbstractItemView>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// Every button carries a mnemonic ("&" before its letter), so the whole
// window works from the keyboard. Enter is handled by the window itself (it
// never closes it), so no button may become the default one behind the
// user's back.
QPushButton* makeButton(const QString& text, const char* name, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QRadioButton* addRadio(QButtonGroup* group, int id, const QString& text, const char* name,
                       QLayout* layout, QWidget* parent)
{
    auto* radio = new QRadioButton(text, parent);
    radio->setObjectName(QLatin1String(name));
    group->addButton(radio, id);
    layout->addWidget(radio);
    return radio;
}

}  // namespace

void MergeToolDialog::createControls()
{
    setWindowTitle(QStringLiteral("ROMWELD"));
    // A caption with the system menu and the close box, no minimise or maximise box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setAcceptDrops(true);

    createImageButton_ = makeButton(QStringLiteral("&Create Image"), "createImageButton", this);
    quitButton_ = makeButton(QStringLiteral("&Quit"), "quitButton", this);
    countLabel_ = new QLabel(QStringLiteral("0 NES Roms."), this);
    countLabel_->setObjectName(QStringLiteral("countLabel"));
    sizeLabel_ = new QLabel(QStringLiteral("GBA file size : 0 Bytes."), this);
    sizeLabel_->setObjectName(QStringLiteral("sizeLabel"));

    romListView_ = new QListWidget(this);
    romListView_->setObjectName(QStringLiteral("romList"));
    romListView_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    romListView_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    romListView_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    romListView_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    romListView_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    romListView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    romListView_->setMinimumHeight(romRowHeight() * 10 + 2 * romListView_->frameWidth());

    upButton_ = makeButton(QStringLiteral("&up"), "upButton", this);
    downButton_ = makeButton(QStringLiteral("&down"), "downButton", this);
    addButton_ = makeButton(QStringLiteral("&Add"), "addButton", this);
    deleteButton_ = makeButton(QStringLiteral("D&elete"), "deleteButton", this);

    auto* sortBox = new QGroupBox(QStringLiteral("Sort by"), this);
    auto* sortLayout = new QVBoxLayout(sortBox);
    sortKeyGroup_ = new QButtonGroup(this);
    addRadio(sortKeyGroup_, 0, QStringLiteral("&Filename"), "sortByFilename", sortLayout, sortBox);
    addRadio(sortKeyGroup_, 1, QStringLiteral("&ROM Title"), "sortByTitle", sortLayout, sortBox);
    sortButton_ = makeButton(QStringLiteral("&Sort"), "sortButton", sortBox);
    sortLayout->addWidget(sortButton_);

    auto* showsBox = new QGroupBox(QStringLiteral("NES List shows"), this);
    auto* showsLayout = new QVBoxLayout(showsBox);
    displayModeGroup_ = new QButtonGroup(this);
    addRadio(displayModeGroup_, 0, QStringLiteral("F&ilename"), "showFilename", showsLayout, showsBox);
    addRadio(displayModeGroup_, 1, QStringLiteral("Full &Pathname"), "showFullPathname", showsLayout, showsBox);
    addRadio(displayModeGroup_, 2, QStringLiteral("Rom &Title"), "showRomTitle", showsLayout, showsBox);

    editorButton_ = makeButton(QStringLiteral("&KVL Savedata Editor"), "editorButton", this);

    auto* romTitleLabel = new QLabel(QStringLiteral("R&om Title (Max 21 char)"), this);
    romTitleField_ = new QLineEdit(this);
    romTitleField_->setObjectName(QStringLiteral("romTitleField"));
    romTitleField_->setMaxLength(ROM_TITLE_LIMIT);
    // Typing stops where the title does: 21 characters, 32 bytes of CP932.
    romTitleLimit_ = new TitleByteLimit(ROM_TITLE_BYTES, romTitleField_, ROM_TITLE_CHARS);
    romTitleField_->setValidator(romTitleLimit_);

    auto* gbaFileLabel = new QLabel(QStringLiteral("Filename for G&BA rom"), this);
    gbaFileField_ = new QLineEdit(this);
    gbaFileField_->setObjectName(QStringLiteral("gbaFileField"));
    // A name the kept list could not hold is refused as it is typed.
    gbaFileField_->setValidator(new KeptNameLimit(gbaFileField_));
    browseButton_ = makeButton(QStringLiteral("&."), "browseButton", this);
    browseButton_->setToolTip(QStringLiteral("Choose the GBA image file"));
    // A small button beside the field: its text and the style's margins,
    // not the style's usual least width of a push button.
    const QStyle* style = browseButton_->style();
    browseButton_->setFixedWidth(browseButton_->fontMetrics().horizontalAdvance(QStringLiteral("...")) +
                                 2 * style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, browseButton_) +
                                 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, browseButton_));

    fixHeaderBox_ = new QCheckBox(QStringLiteral("Fi&x GBA header"), this);
    fixHeaderBox_->setObjectName(QStringLiteral("fixHeaderBox"));
    padImageBox_ = new QCheckBox(QStringLiteral("Pad to power of t&wo"), this);
    padImageBox_->setObjectName(QStringLiteral("padImageBox"));
    padImageBox_->setToolTip(QStringLiteral("Fill the image with 0xFF up to the next power of two (at most 32 MiB), "
                                            "as some flash carts want it"));
    trimOverdumpsBox_ = new QCheckBox(QStringLiteral("Trim overdumps to si&ze"), this);
    trimOverdumpsBox_->setObjectName(QStringLiteral("trimOverdumpsBox"));
    trimOverdumpsBox_->setToolTip(QStringLiteral("Write of a ROM longer than its iNES header says only the bytes "
                                                 "the header promises"));

    // PocketNES's splash screen: a preview of what the cartridge shows, in
    // the screen's 3:2 proportions, and the buttons that choose and clear it.
    splashPreview_ = new QLabel(this);
    splashPreview_->setObjectName(QStringLiteral("splashPreview"));
    splashPreview_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    splashPreview_->setAlignment(Qt::AlignCenter);
    splashPreview_->setWordWrap(true);
    const int previewHeight = splashPreview_->fontMetrics().lineSpacing() * 4 + 2 * splashPreview_->frameWidth();
    splashPreview_->setFixedSize(previewHeight * 3 / 2, previewHeight);
    splashButton_ = makeButton(QStringLiteral("Splas&h screen..."), "splashButton", this);
    splashButton_->setToolTip(QStringLiteral("A picture PocketNES shows while it starts"));
    clearSplashButton_ = new QToolButton(this);
    clearSplashButton_->setObjectName(QStringLiteral("clearSplashButton"));
    clearSplashButton_->setText(QStringLiteral("Clear"));
    clearSplashButton_->setToolTip(QStringLiteral("No splash screen"));

    infoPanel_ = new QLabel(this);
    infoPanel_->setObjectName(QStringLiteral("infoPanel"));
    infoPanel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    infoPanel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    infoPanel_->setWordWrap(true);
    // Size, mapper, battery, whether the variant runs the mapper, and a
    // dump check that may take two lines and a third for its trim.
    infoPanel_->setMinimumHeight(infoPanel_->fontMetrics().lineSpacing() * 7 + 2 * infoPanel_->frameWidth() + 4);

    auto* variantLabel = new QLabel(QStringLiteral("KVL Versio&n"), this);
    variantSelector_ = new QComboBox(this);
    variantSelector_->setObjectName(QStringLiteral("variantSelector"));

    auto* gbaTitleLabel = new QLabel(QStringLiteral("&GBA Title"), this);
    gbaTitleField_ = new QLineEdit(this);
    gbaTitleField_->setObjectName(QStringLiteral("gbaTitleField"));
    gbaTitleField_->setEnabled(false);

    saveListButton_ = makeButton(QStringLiteral("Sa&ve List"), "saveListButton", this);
    loadListButton_ = makeButton(QStringLiteral("&Load List"), "loadListButton", this);

    // Linux desktops give a dialog no system menu to extend, so the about
    // command lives in a small menu button and in the window's context menu.
    auto* aboutAction = new QAction(QStringLiteral("About ROMWELD(&A)..."), this);
    aboutAction->setObjectName(QStringLiteral("aboutAction"));
    connect(aboutAction, &QAction::triggered, this, &MergeToolDialog::showAbout);
    auto* aboutMenu = new QMenu(this);
    aboutMenu->addAction(aboutAction);
    aboutButton_ = new QToolButton(this);
    aboutButton_->setObjectName(QStringLiteral("aboutButton"));
    aboutButton_->setText(QStringLiteral("?"));
    aboutButton_->setMenu(aboutMenu);
    aboutButton_->setPopupMode(QToolButton::InstantPopup);
    aboutButton_->setToolTip(QStringLiteral("About ROMWELD"));
    addAction(aboutAction);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    // The list's own Alt key is the count label's (Alt+M, "Roms"); the
    // label's words stay the system's.
    countLabel_->setBuddy(romListView_);
    romTitleLabel->setBuddy(romTitleField_);
    gbaFileLabel->setBuddy(gbaFileField_);
    variantLabel->setBuddy(variantSelector_);
    gbaTitleLabel->setBuddy(gbaTitleField_);

    // The PocketNES options can be reviewed without building an image: from
    // the list's context menu, and by a double-click on a ROM while a
    // PocketNES variant is chosen.
    pocketOptionsAction_ = new QAction(QStringLiteral("PocketNES &Options..."), romListView_);
    pocketOptionsAction_->setObjectName(QStringLiteral("pocketOptionsAction"));
    pocketOptionsAction_->setEnabled(false);
    connect(pocketOptionsAction_, &QAction::triggered, this, [this] {
        const std::vector<int> rows = selectedRows();
        openPocketNesOptions(rows.empty() ? 0 : rows.front());
    });
    romListView_->addAction(pocketOptionsAction_);
    // Titles from today's file names without their tags; remembered, and
    // applied to titles derived from file names only.
    cleanTitlesAction_ = new QAction(QStringLiteral("&Clean Titles from File Names"), romListView_);
    cleanTitlesAction_->setObjectName(QStringLiteral("cleanTitlesAction"));
    cleanTitlesAction_->setCheckable(true);
    cleanTitlesAction_->setToolTip(QStringLiteral("\"Legend of Zelda, The (USA) [!]\" becomes \"The Legend of "
                                                  "Zelda\"; a title you typed stays as it is"));
    connect(cleanTitlesAction_, &QAction::triggered, this, &MergeToolDialog::onCleanTitlesToggled);
    romListView_->addAction(cleanTitlesAction_);
    romListView_->setContextMenuPolicy(Qt::ActionsContextMenu);

    // What the last "Create Image" wrote, without a box to dismiss.
    statusLine_ = new QStatusBar(this);
    statusLine_->setObjectName(QStringLiteral("statusLine"));
    statusLine_->setSizeGripEnabled(false);

    // Undo and Redo, with their keys, in the window's and the list's context menus.
    createHistoryActions();
    auto* separator = new QAction(romListView_);
    separator->setSeparator(true);
    romListView_->addAction(separator);
    romListView_->addAction(undoAction_);
    romListView_->addAction(redoAction_);

    // What the controls whose labels don't say it do.
    const QString undoKey = undoAction_->shortcut().toString(QKeySequence::NativeText);
    createImageButton_->setToolTip(QStringLiteral("Write the listed ROMs into the GBA image named under \"Filename "
                                                  "for GBA rom\", on the KVL Version chosen"));
    upButton_->setToolTip(QStringLiteral("Move the selected ROMs one place up; the image keeps the list's order"));
    downButton_->setToolTip(QStringLiteral("Move the selected ROMs one place down; the image keeps the list's order"));
    addButton_->setToolTip(QStringLiteral("Add NES ROMs, or every NES ROM in a .zip, .7z or .gz archive; files "
                                          "dropped on the window are added too"));
    deleteButton_->setToolTip(QStringLiteral("Take the selected ROMs out of the list (%1 brings them back); the "
                                             "files stay").arg(undoKey));
    sortButton_->setToolTip(QStringLiteral("Sort the list by the key chosen above"));
    editorButton_->setToolTip(QStringLiteral("Start sramedit, the save data editor"));
    romTitleField_->setToolTip(QStringLiteral("The title the cartridge's menu shows for the selected ROMs: at most 21 "
                                              "characters, 32 bytes. Enter applies it."));
    gbaFileField_->setToolTip(QStringLiteral("The GBA image \"Create Image\" writes"));
    fixHeaderBox_->setToolTip(QStringLiteral("Rewrite the image's GBA cartridge header: the GBA Title below, game "
                                             "code KVL, maker ZQ, and the checksum"));
    gbaTitleField_->setToolTip(QStringLiteral("The title in the GBA cartridge header (at most 12 characters), written "
                                              "with \"Fix GBA header\""));
    variantSelector_->setToolTip(QStringLiteral("The emulator the image is built on: a shell variant of romweld.cfg"));
    saveListButton_->setToolTip(QStringLiteral("Keep the list's ROM paths in a .lst file"));
    loadListButton_->setToolTip(QStringLiteral("Replace the list with the ROMs a .lst file names (%1 brings this "
                                               "list back)").arg(undoKey));
    countLabel_->setToolTip(QStringLiteral("The ROMs in the list; Alt+M takes you to it"));

    // Files dropped anywhere on the window belong to the ROM list, also when
    // they land on a text field.
    for (QLineEdit* field : {romTitleField_, gbaFileField_, gbaTitleField_}) field->setAcceptDrops(false);

    // Left two thirds: labels, list, list buttons, the two radio groups and
    // the list-file and editor buttons.
    auto* labels = new QHBoxLayout;
    labels->addWidget(countLabel_);
    labels->addStretch(1);
    labels->addWidget(sizeLabel_);
    auto* listButtons = new QHBoxLayout;
    for (QPushButton* b : {upButton_, downButton_, addButton_, deleteButton_}) listButtons->addWidget(b);
    auto* splashButtons = new QHBoxLayout;
    splashButtons->addWidget(splashButton_, 1);
    splashButtons->addWidget(clearSplashButton_);
    auto* splashColumn = new QVBoxLayout;
    splashColumn->addWidget(splashPreview_, 0, Qt::AlignHCenter);
    splashColumn->addLayout(splashButtons);
    splashColumn->addStretch(1);
    auto* groups = new QHBoxLayout;
    groups->addWidget(sortBox);
    groups->addWidget(showsBox);
    groups->addLayout(splashColumn);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(saveListButton_);
    bottom->addWidget(loadListButton_);
    bottom->addStretch(1);
    bottom->addWidget(editorButton_);
    auto* left = new QVBoxLayout;
    left->addLayout(labels);
    left->addWidget(romListView_, 1);
    left->addLayout(listButtons);
    left->addLayout(groups);
    left->addLayout(bottom);

    // Right third: the fields, the info panel and the two main buttons.
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(gbaFileField_, 1);
    fileRow->addWidget(browseButton_);
    auto* topRight = new QHBoxLayout;
    topRight->addWidget(romTitleLabel, 1);
    topRight->addWidget(aboutButton_);
    auto* right = new QVBoxLayout;
    right->addLayout(topRight);
    right->addWidget(romTitleField_);
    right->addWidget(gbaFileLabel);
    right->addLayout(fileRow);
    right->addWidget(fixHeaderBox_);
    right->addWidget(padImageBox_);
    right->addWidget(trimOverdumpsBox_);
    right->addWidget(gbaTitleLabel);
    right->addWidget(gbaTitleField_);
    right->addWidget(variantLabel);
    right->addWidget(variantSelector_);
    right->addWidget(infoPanel_, 1);
    right->addWidget(createImageButton_);
    right->addWidget(quitButton_);

    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 2);
    columns->addLayout(right, 1);
    auto* main = new QVBoxLayout(this);
    main->addLayout(columns, 1);
    main->addWidget(statusLine_);

    // The window keeps the proportions of its classic 319 by 183 dialog
    // units, measured in the current font; it never gets smaller than its
    // controls need (the layout sets that minimum).
    const QFontMetrics metrics(font());
    const int unitX = metrics.averageCharWidth();
    const int unitY = metrics.height();
    resize(319 * unitX / 4 + 40, 183 * unitY / 8 + 40);
    // A list that shows a handful of ROMs, beside a right column wide enough
    // for a path worth reading.
    romListView_->setMinimumWidth(metrics.averageCharWidth() * 36);
    gbaFileField_->setMinimumWidth(metrics.averageCharWidth() * 20);

    QWidget* focusOrder[] = {
        createImageButton_, quitButton_, romListView_, upButton_, downButton_, addButton_, deleteButton_,
        sortKeyGroup_->button(0), sortKeyGroup_->button(1), sortButton_, displayModeGroup_->button(0),
        displayModeGroup_->button(1), displayModeGroup_->button(2), splashButton_, clearSplashButton_, editorButton_,
        aboutButton_, romTitleField_, gbaFileField_, browseButton_, fixHeaderBox_, padImageBox_, trimOverdumpsBox_,
        variantSelector_, gbaTitleField_, saveListButton_, loadListButton_,
    };
    for (std::size_t i = 1; i < std::size(focusOrder); ++i) setTabOrder(focusOrder[i - 1], focusOrder[i]);

    connect(createImageButton_, &QPushButton::clicked, this, &MergeToolDialog::onCreateImage);
    connect(quitButton_, &QPushButton::clicked, this, &QDialog::reject);
    connect(romListView_, &QListWidget::itemSelectionChanged, this, &MergeToolDialog::onSelectionChanged);
    connect(upButton_, &QPushButton::clicked, this, &MergeToolDialog::onUp);
    connect(downButton_, &QPushButton::clicked, this, &MergeToolDialog::onDown);
    connect(addButton_, &QPushButton::clicked, this, &MergeToolDialog::onAdd);
    connect(deleteButton_, &QPushButton::clicked, this, &MergeToolDialog::onDelete);
    connect(sortButton_, &QPushButton::clicked, this, &MergeToolDialog::onSort);
    connect(displayModeGroup_, &QButtonGroup::idClicked, this, &MergeToolDialog::onDisplayModeChanged);
    connect(editorButton_, &QPushButton::clicked, this, &MergeToolDialog::onSavedataEditor);
    connect(browseButton_, &QPushButton::clicked, this, &MergeToolDialog::onBrowseGbaFile);
    connect(fixHeaderBox_, &QCheckBox::clicked, this, &MergeToolDialog::onFixHeaderClicked);
    connect(padImageBox_, &QCheckBox::clicked, this, &MergeToolDialog::onPadImageClicked);
    connect(trimOverdumpsBox_, &QCheckBox::clicked, this, &MergeToolDialog::onTrimOverdumpsClicked);
    connect(splashButton_, &QPushButton::clicked, this, &MergeToolDialog::onChooseSplash);
    connect(clearSplashButton_, &QToolButton::clicked, this, &MergeToolDialog::onClearSplash);
    connect(saveListButton_, &QPushButton::clicked, this, &MergeToolDialog::onSaveList);
    connect(loadListButton_, &QPushButton::clicked, this, &MergeToolDialog::onLoadList);
    connect(variantSelector_, &QComboBox::activated, this, &MergeToolDialog::onVariantChanged);
    connect(romListView_, &QListWidget::itemDoubleClicked, this, &MergeToolDialog::onRomDoubleClicked);
    // Enter in the title field commits the title, as leaving the field does.
    connect(romTitleField_, &QLineEdit::returnPressed, this, &MergeToolDialog::onRomTitleCommitted);
    // Typing stops at the limit; a longer stored title stays until it is
    // edited, so that taking the fields can tell the user about it.
    connect(gbaTitleField_, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (text.size() > GBA_TITLE_LIMIT) {
            const int cursor = gbaTitleField_->cursorPosition();
            gbaTitleField_->setText(text.left(GBA_TITLE_LIMIT));
            gbaTitleField_->setCursorPosition(std::min(cursor, GBA_TITLE_LIMIT));
        }
    });
    // A paste cut to the title's limit is said, not done in silence.
    connect(romTitleField_, &QLineEdit::textEdited, this, [this] {
        if (romTitleLimit_->takeCut()) showTitleCut(romTitleField_->text());
    });
    romTitleField_->installEventFilter(this);
    romListView_->installEventFilter(this);
}
