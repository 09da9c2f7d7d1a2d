// SPDX-License-Identifier: GPL-3.0-or-later
// sramedit: the save-data editor. One window; the program ends when it
// closes. Of the command line only --version is read.
#include "editor_texts.h"
#include "file_io.h"
#include "program_folders.h"
#include "program_paths.h"
#include "qt_prompts.h"
#include "qt_text.h"
#include "rewrite_notices.h"
#include "romweld_version.h"
#include "save_editor_dialog.h"
#include "sramedit_icon.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

int main(int argc, char* argv[])
{
    // Answered before anything of the window or the display is set up.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("sramedit %s\n", ROMWELD_VERSION);
        return 0;
    }
    QApplication app(argc, argv);
    const QIcon icon = srameditIcon();
    QApplication::setWindowIcon(icon);

    std::string executable = currentExecutablePath();
    if (executable.empty()) executable = toPlatform(QCoreApplication::applicationFilePath());

    // Ctrl-C or a closed terminal leaves no half-written file behind.
    installTemporaryFileCleanup();
    QtPrompts prompts(QString::fromUtf8(editor_text::MESSAGE_CAPTION), icon);
    tellRewritesThrough(prompts);
    SaveEditorDialog dialog(prompts, sramEditSettingsPath(executable, currentFolderEnvironment()));
    if (!dialog.start()) return 0;
    prompts.setOwner(&dialog);
    dialog.exec();
    return 0;
}
