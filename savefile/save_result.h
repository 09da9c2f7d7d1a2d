// SPDX-License-Identifier: GPL-3.0-or-later
// What every save operation gives back: done, or the one thing that stopped
// it, with the file it concerns and the system's reason. The window and
// sramedit-cli turn a result into words through save_messages.h only, so
// the two never keep tables of their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum class SaveCode {
    Done = 0,
    // A file to read.
    Missing,            // not there (errorNumber ENOENT) or empty (errorNumber 0)
    Unreadable,         // there, but can't be read: errorNumber tells why
    NotASave,           // neither a packed save image nor a slot save image
    MemoryUnknown,      // a 65536-byte packed save that can't tell its memory
    SavTooLarge,        // a ".sav" file of bytes bytes, more than a save holds
    RomTooSmall,        // a ROM of bytes bytes (or none: errorNumber), too small for its checksum
    RomUnreadable,      // a ROM that can't be opened or read: errorNumber
    // A file to write.
    WriteFailed,        // errorNumber tells why; EEXIST: the name was taken
    // The records and slots of an image.
    CompressionFailed,  // the compression library could not start
    NoRoom,             // subject does not fit: bytes more needed, available free
    SecondSave,         // the game's battery save PocketNES restores is record index
    NoSuchLine,         // no record (or slot) index
    NotBatterySave,     // record index is no battery save
    EmptySlot,          // slot index holds no save
    Damaged,            // the save data of record index can't be unpacked
    TitleInLiveArea,    // record index lies in the live area
    EmptyTitle,         // nothing of the title typed is left (subject: what was removed)
    ReachesLiveArea,    // the records would still reach into the live area (deleting: index)
    ConfigRecordNeeded, // record index is the configuration record PocketNES needs
    ConfigRecordStays,  // record index is the configuration record, which is not copied
    OtherSize,          // a memory other than 32 or 64 KiB, or a damaged chain to lay out
    DoesNotFit,         // the records take bytes bytes more than a 32 KiB memory has room for
};

struct SaveResult {
    SaveCode code = SaveCode::Done;
    std::string file;         // the file it concerns: the one read or written, or the save
    int errorNumber = 0;      // the system's reason (fileErrorText tells it); 0 for none
    std::string subject;      // NoRoom: what did not fit (a ".sav" file, a record)
    std::size_t index = 0;    // the record or slot
    bool deleting = false;    // ReachesLiveArea: a delete of record index (else a prune)
    std::int64_t bytes = 0;   // a file's size, the bytes needed, or the bytes too many
    std::int64_t available = 0;  // NoRoom: the bytes free
    // NoRoom in a save of either size: a 64 KiB memory would have the room.
    bool largerMemoryFits = false;

    bool ok() const { return code == SaveCode::Done; }
};

inline bool operator==(const SaveResult& result, SaveCode code) { return result.code == code; }
inline bool operator!=(const SaveResult& result, SaveCode code) { return result.code != code; }

// A result of code about file.
SaveResult saveFailure(SaveCode code, const std::string& file = {}, int errorNumber = 0);
