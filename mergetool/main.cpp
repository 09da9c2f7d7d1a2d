// romweld: opens its window and ends when the window closes.
#include "merge_tool_dialog.h"
#include "program_icon.h"
#include "program_paths.h"
#include "qt_prompts.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QIcon icon = programIcon();
    QApplication::setWindowIcon(icon);

    QtPrompts prompts(QStringLiteral("ROMWELD"), icon);
    MergeToolDialog dialog(prompts, currentExecutablePath());
    prompts.setOwner(&dialog);
    // Without a usable shell variant the window has already said so and
    // closes without being shown.
    if (dialog.closePosted()) {
        QCoreApplication::processEvents();
        return 0;
    }
    dialog.exec();
    return 0;
}
