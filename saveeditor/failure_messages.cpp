#include "failure_messages.h"

#include <QDir>
#include <QFileInfo>

QString imageWriteFailedText(const QString& path, const QString& reason)
{
    return QStringLiteral("Could not write the save file\n%1\n%2\n"
                          "The file was left as it was and your changes are still open:\n"
                          "press \"Write!\" again after fixing this, or \"Cancel\" to discard them.")
        .arg(QDir::toNativeSeparators(path), reason);
}

QString extractWriteFailedText(const QString& path, const QString& reason)
{
    return QStringLiteral("Could not write\n%1\n%2\nThe save was not extracted.")
        .arg(QDir::toNativeSeparators(path), reason);
}

QString extractOverOpenFileText(const QString& path)
{
    return QStringLiteral("%1\nis the save file you are editing; a save is never extracted over it.\n"
                          "Choose another file name.")
        .arg(QDir::toNativeSeparators(path));
}

QString extractDamagedText()
{
    return QStringLiteral("The data of this save are damaged and cannot be unpacked.\n"
                          "Nothing was extracted.");
}

QString compressionFailedText(const QString& savPath)
{
    return QStringLiteral("The compression library could not start.\n%1 was not stored.")
        .arg(QFileInfo(savPath).fileName());
}

QString deleteReachesLiveAreaText()
{
    return QStringLiteral("The records after this one would still reach into the live area,\n"
                          "the battery memory of the game that ran last. Nothing was deleted.");
}

QString deleteConfigRecordText()
{
    return QStringLiteral("This is the configuration record. PocketNES needs it to keep the save\n"
                          "of the game it runs. Nothing was deleted.");
}

QString noRoomText(const QString& saveFile, const QString& what, std::size_t needed, std::size_t available)
{
    return QStringLiteral("There is not enough room in\n%1\nfor %2: it needs %3 more bytes, %4 are free.\n"
                          "Nothing was stored.")
        .arg(QDir::toNativeSeparators(saveFile), what)
        .arg(needed)
        .arg(available);
}

QString secondRecordText(std::size_t live)
{
    return QStringLiteral("This game already has a battery save: record %1, the one PocketNES restores.\n"
                          "Load into record %1 instead. Nothing was stored.")
        .arg(live);
}

QString saveAtRiskText(const QString& title, std::size_t bytesToFree)
{
    return QStringLiteral("The newest save of %1 is only in the live area, and there is no room to pack it.\n"
                          "PocketNES will drop it at its next start (\"Write error! Memory full\").\n"
                          "Free %2 bytes (delete records, or remove older ones) and press \"Write!\".")
        .arg(title)
        .arg(bytesToFree);
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

QString copyWriteFailedText(const QString& path, const QString& reason)
{
    return QStringLiteral("Could not write\n%1\n%2\nThe file was left as it was.")
        .arg(QDir::toNativeSeparators(path), reason);
}

QString convertMissingText(std::size_t missing)
{
    return QStringLiteral("The records take %1 bytes more than a 32 KiB memory has room for.\n"
                          "Delete records, or remove older ones, first. Nothing was saved.")
        .arg(missing);
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

QString pruneRefusedText()
{
    return QStringLiteral("No record was removed: the records after the older ones would still reach into\n"
                          "the live area.");
}
