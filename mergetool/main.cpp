// SPDX-License-Identifier: GPL-3.0-or-later
// romweld: opens its window and ends when the window closes. Files named on
// the command line (a file manager's "Open with") are added to the list.
#include "file_io.h"
#include "merge_tool_dialog.h"
#include "program_folders.h"
#include "program_paths.h"
#include "qt_prompts.h"
#include "rewrite_notices.h"
#include "romweld_icon.h"
#include "romweld_version.h"

#include <QApplication>
#include <QFileInfo>

#include <cstdio>
#include <cstring>

int main(int argc, char* argv[])
{
    // Answered before anything of the window or the display is set up.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("romweld %s\n", ROMWELD_VERSION);
        return 0;
    }
    QApplication app(argc, argv);
    const QIcon icon = romweldIcon();
    QApplication::setWindowIcon(icon);

    // Ctrl-C or a closed terminal leaves no half-written file behind.
    installTemporaryFileCleanup();
    QtPrompts prompts(QStringLiteral("ROMWELD"), icon);
    tellRewritesThrough(prompts);
    MergeToolDialog dialog(prompts, currentExecutablePath(), currentFolderEnvironment());
    prompts.setOwner(&dialog);
    // Without a usable shell variant the window has already said so and
    // closes without being shown.
    if (dialog.closePosted()) {
        QCoreApplication::processEvents();
        return 0;
    }
    QStringList files;
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i) files << QFileInfo(arguments[i]).absoluteFilePath();
    dialog.addFiles(files);
    dialog.exec();
    return 0;
}
