// SPDX-License-Identifier: GPL-3.0-or-later
#include "test_archives.h"

#include "byte_order.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <clocale>
#include <locale.h>
#include <stdexcept>

namespace {

void check(archive* a, int r, const char* what)
{
    if (r < ARCHIVE_WARN) throw std::runtime_error(std::string(what) + ": " + archive_error_string(a));
}

// Zip header signatures and the offset of the uncompressed size in each.
constexpr unsigned char LOCAL_HEADER[] = {'P', 'K', 3, 4};
constexpr unsigned char CENTRAL_HEADER[] = {'P', 'K', 1, 2};
constexpr std::size_t LOCAL_SIZE_OFFSET = 22;
constexpr std::size_t CENTRAL_SIZE_OFFSET = 24;

void patchFirst(Bytes& zip, const unsigned char (&signature)[4], std::size_t offset, std::uint32_t size)
{
    const auto at = std::search(zip.begin(), zip.end(), std::begin(signature), std::end(signature));
    if (at == zip.end()) throw std::runtime_error("zip header not found");
    putLe32(&*at + offset, size);
}

}  // namespace

void writeArchive(const std::string& path, ArchiveKind kind, const std::vector<ArchiveFile>& files)
{
    // Names are UTF-8 whatever locale the test runs in; the bytes of a
    // legacy name go in unconverted, as under the "C" locale.
    const char* localeName = kind == ArchiveKind::LegacyZip ? "C" : "C.UTF-8";
    const locale_t names = ::newlocale(LC_CTYPE_MASK, localeName, static_cast<locale_t>(nullptr));
    const locale_t previous = names != nullptr ? ::uselocale(names) : nullptr;
    archive* a = archive_write_new();
    switch (kind) {
    case ArchiveKind::Zip:
        check(a, archive_write_set_format_zip(a), "zip");
        check(a, archive_write_set_options(a, "zip:hdrcharset=UTF-8"), "UTF-8 names");
        break;
    case ArchiveKind::LegacyZip: check(a, archive_write_set_format_zip(a), "zip"); break;
    case ArchiveKind::StoredZip:
        check(a, archive_write_set_format_zip(a), "zip");
        check(a, archive_write_set_options(a, "zip:compression=store"), "store");
        break;
    case ArchiveKind::EncryptedZip:
        check(a, archive_write_set_format_zip(a), "zip");
        check(a, archive_write_set_options(a, "zip:encryption=zipcrypt"), "encryption");
        check(a, archive_write_set_passphrase(a, "secret"), "passphrase");
        break;
    case ArchiveKind::SevenZip: check(a, archive_write_set_format_7zip(a), "7z"); break;
    case ArchiveKind::Gzip:
        check(a, archive_write_set_format_raw(a), "raw");
        check(a, archive_write_add_filter_gzip(a), "gzip");
        break;
    }
    check(a, archive_write_open_filename(a, path.c_str()), path.c_str());
    const Bytes zeros(64 * 1024, 0);
    for (const ArchiveFile& file : files) {
        archive_entry* entry = archive_entry_new();
        if (kind == ArchiveKind::LegacyZip) {
            archive_entry_copy_pathname(entry, file.name.c_str());
        } else {
            archive_entry_set_pathname_utf8(entry, file.name.c_str());
        }
        archive_entry_set_filetype(entry, AE_IFREG);
        archive_entry_set_perm(entry, 0644);
        if (kind != ArchiveKind::Gzip) {
            archive_entry_set_size(entry, static_cast<la_int64_t>(file.bytes.size()) + file.zeros);
        }
        check(a, archive_write_header(a, entry), "header");
        archive_entry_free(entry);
        if (!file.bytes.empty()) archive_write_data(a, file.bytes.data(), file.bytes.size());
        for (std::int64_t left = file.zeros; left > 0;) {
            const auto n = static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(zeros.size())));
            archive_write_data(a, zeros.data(), n);
            left -= static_cast<std::int64_t>(n);
        }
        if (kind == ArchiveKind::Gzip) break;
    }
    check(a, archive_write_close(a), "close");
    archive_write_free(a);
    if (previous != nullptr) ::uselocale(previous);
    if (names != nullptr) ::freelocale(names);
}

void claimZipMemberSize(const std::string& path, std::uint32_t size)
{
    Bytes zip = readBytes(path);
    patchFirst(zip, LOCAL_HEADER, LOCAL_SIZE_OFFSET, size);
    patchFirst(zip, CENTRAL_HEADER, CENTRAL_SIZE_OFFSET, size);
    writeBytes(path, zip);
}

void flipByteAt(const std::string& path, std::size_t offset)
{
    Bytes bytes = readBytes(path);
    bytes.at(offset) ^= 0xFF;
    writeBytes(path, bytes);
}

void damageStoredMember(const std::string& path, const Bytes& bytes)
{
    const std::size_t middle = bytes.size() / 2;
    const Bytes zip = readBytes(path);
    const auto at = std::search(zip.begin(), zip.end(), bytes.begin() + static_cast<long>(middle),
                                bytes.begin() + static_cast<long>(middle) + 32);
    if (at == zip.end()) throw std::runtime_error("member data not found in " + path);
    flipByteAt(path, static_cast<std::size_t>(at - zip.begin()));
}
