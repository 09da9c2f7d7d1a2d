// SPDX-License-Identifier: GPL-3.0-or-later
// Archives made by the tests themselves, with libarchive's writer.
#pragma once

#include "test_files.h"

#include <cstdint>
#include <string>
#include <vector>

struct ArchiveFile {
    std::string name;
    Bytes bytes;
    std::int64_t zeros = 0;  // zero bytes after bytes, written in chunks and never held whole
};

enum class ArchiveKind {
    Zip,           // deflated members, names marked as UTF-8
    LegacyZip,     // names as their bytes, unmarked, as old Windows zip programs wrote them
    StoredZip,     // members stored as they are
    EncryptedZip,  // traditional zip encryption, passphrase "secret"
    SevenZip,
    Gzip,          // one file: the first of files
};

void writeArchive(const std::string& path, ArchiveKind kind, const std::vector<ArchiveFile>& files);

// Makes the first member of a StoredZip claim size bytes in its local and
// central headers, whatever it holds.
void claimZipMemberSize(const std::string& path, std::uint32_t size);

// Flips the byte at offset, as damage on a disk or in a download would.
void flipByteAt(const std::string& path, std::size_t offset);

// Damages the member of a StoredZip that holds bytes (at least 64 of them):
// one byte in the middle of its data is flipped, so its CRC fails.
void damageStoredMember(const std::string& path, const Bytes& bytes);
