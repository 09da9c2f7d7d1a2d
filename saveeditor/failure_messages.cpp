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

QString noRoomText(const QString& savPath)
{
    return QStringLiteral("There is not enough room left in the save file for\n%1\nNothing was stored.")
        .arg(QFileInfo(savPath).fileName());
}
