// SPDX-License-Identifier: GPL-3.0-or-later
// libarchive, loaded when the first archive is read rather than when a
// program starts. Linked at start, libarchive brings libxml2, ICU, nettle,
// zstd and half a dozen more libraries into every run of every program,
// most of which never open an archive; loading them took more than all the
// rest of `romweld-cli --help`.
//
// This file defines the libarchive functions the archive reader calls, so
// the reader is written against <archive.h> as usual and the programs need
// no link to libarchive. Each definition hands the call to the real
// function, found in libarchive.so.13 (the library's ABI) on first use. A
// program that links libarchive itself as well (the tests write archives)
// still works: then both lead to the same library.
//
// When the reader calls a libarchive function not listed below, the link
// fails naming it: add it to the list.
#include <archive.h>
#include <archive_entry.h>

#include <dlfcn.h>

#define ROMWELD_LIBARCHIVE_CALLS(X)                                                                        \
    X(struct archive*, archive_read_new, (), (), nullptr)                                                  \
    X(int, archive_read_free, (struct archive * a), (a), ARCHIVE_FATAL)                                    \
    X(int, archive_read_support_filter_gzip, (struct archive * a), (a), ARCHIVE_FATAL)                     \
    X(int, archive_read_support_format_raw, (struct archive * a), (a), ARCHIVE_FATAL)                      \
    X(int, archive_read_support_format_zip, (struct archive * a), (a), ARCHIVE_FATAL)                      \
    X(int, archive_read_support_format_7zip, (struct archive * a), (a), ARCHIVE_FATAL)                     \
    X(int, archive_read_open_fd, (struct archive * a, int fd, size_t block), (a, fd, block), ARCHIVE_FATAL) \
    X(int, archive_read_next_header, (struct archive * a, struct archive_entry * *entry), (a, entry),      \
      ARCHIVE_FATAL)                                                                                       \
    X(la_ssize_t, archive_read_data, (struct archive * a, void* buffer, size_t size), (a, buffer, size),   \
      ARCHIVE_FATAL)                                                                                       \
    X(int, archive_filter_code, (struct archive * a, int n), (a, n), 0)                                    \
    X(int, archive_format, (struct archive * a), (a), 0)                                                   \
    X(const char*, archive_error_string, (struct archive * a), (a), "libarchive.so.13 can't be loaded")    \
    X(__LA_MODE_T, archive_entry_filetype, (struct archive_entry * e), (e), 0)                             \
    X(int, archive_entry_is_encrypted, (struct archive_entry * e), (e), 0)                                 \
    X(int, archive_entry_size_is_set, (struct archive_entry * e), (e), 0)                                  \
    X(la_int64_t, archive_entry_size, (struct archive_entry * e), (e), 0)                                  \
    X(const char*, archive_entry_pathname, (struct archive_entry * e), (e), nullptr)                       \
    X(const char*, archive_entry_pathname_utf8, (struct archive_entry * e), (e), nullptr)

namespace {

// The real functions; a null pointer when the library or the function is
// not there, and the call then fails as libarchive's own failures do.
struct Libarchive {
#define ROMWELD_POINTER(ret, name, params, args, fallback) ret(*name) params = nullptr;
    ROMWELD_LIBARCHIVE_CALLS(ROMWELD_POINTER)
#undef ROMWELD_POINTER

    Libarchive()
    {
        void* library = ::dlopen("libarchive.so.13", RTLD_LAZY | RTLD_LOCAL);
        if (library == nullptr) return;
        // The library stays loaded for the rest of the process.
#define ROMWELD_RESOLVE(ret, name, params, args, fallback) \
    name = reinterpret_cast<ret(*) params>(::dlsym(library, #name));
        ROMWELD_LIBARCHIVE_CALLS(ROMWELD_RESOLVE)
#undef ROMWELD_RESOLVE
    }
};

const Libarchive& libarchive()
{
    static const Libarchive loaded;
    return loaded;
}

}  // namespace

#define ROMWELD_FORWARD(ret, name, params, args, fallback) \
    ret name params                                        \
    {                                                      \
        const auto real = libarchive().name;               \
        return real != nullptr ? real args : fallback;     \
    }
ROMWELD_LIBARCHIVE_CALLS(ROMWELD_FORWARD)
#undef ROMWELD_FORWARD
