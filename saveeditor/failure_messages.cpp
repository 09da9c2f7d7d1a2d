// SPDX-License-Identifier: GPL-3.0-or-later
#include "failure_messages.h"

#include "save_messages.h"

#include <QDir>

QString resultText(const SaveResult& result)
{
    return QString::fromStdString(saveResultText(result));
}

QString imageWriteFailedText(const SaveResult& result)
{
    return resultText(result) + QStringLiteral("\nThe file was left as it was and your changes are still open:\n"
                                               "press \"Write!\" again after fixing this, or \"Cancel\" to discard them.");
}

QString extractWriteFailedText(const SaveResult& result)
{
    return resultText(result) + QStringLiteral("\nThe save was not extracted.");
}

QString extractOverOpenFileText(const QString& path)
{
    return QStringLiteral("%1\nis the save file you are editing; a save is never extracted over it.\n"
                          "Choose another file name.")
        .arg(QDir::toNativeSeparators(path));
}

QString copyIntoOpenFileText()
{
    return QStringLiteral("That is the save file you are editing; choose another one to copy the record into.");
}

QString notPackedText(const QString& path)
{
    return QStringLiteral("%1\nis not a PocketNES save file. Nothing was copied.").arg(QDir::toNativeSeparators(path));
}

QString copiedText(const QString& path, std::size_t at, bool replaced)
{
    return (replaced ? QStringLiteral("The record was copied into\n%1\nreplacing record %2.")
                     : QStringLiteral("The record was copied into\n%1\nas record %2."))
        .arg(QDir::toNativeSeparators(path))
        .arg(at);
}

QString copyWriteFailedText(const SaveResult& result)
{
    return resultText(result) + QStringLiteral("\nThe file was left as it was.");
}

QString savedAsText(const QString& path, const QString& memory)
{
    return QStringLiteral("Saved for %1 of save memory as\n%2").arg(memory, QDir::toNativeSeparators(path));
}

QString convertedInPlaceText(const QString& memory)
{
    return QStringLiteral("The save file is now laid out for %1 of save memory; \"Write!\" writes it.").arg(memory);
}

QString prunedText(std::size_t removed, std::size_t freed)
{
    if (removed == 0) return QStringLiteral("There are no older battery saves.");
    return QStringLiteral("Removed %1 older battery saves: %2 bytes freed.").arg(removed).arg(freed);
}
