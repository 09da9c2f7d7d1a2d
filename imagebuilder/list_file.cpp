#include "list_file.h"

#include "file_io.h"
#include "rom_list.h"
#include "text_encoding.h"

namespace {

// Windows line ends, so list files move freely between the platforms.
constexpr std::string_view LINE_END = "\r\n";

}  // namespace

int writeListFile(const std::string& path, const RomList* list)
{
    if (list == nullptr) return 1;
    AtomicFile file;
    if (!file.open(path)) return 1;
    file.write(LIST_FILE_HEADER.data(), LIST_FILE_HEADER.size());
    file.write(LINE_END.data(), LINE_END.size());
    for (const RomEntry* e = list->head; e != nullptr; e = e->next) {
        file.write(e->path);
        file.write(LINE_END.data(), LINE_END.size());
    }
    return file.commit() ? 0 : 1;
}

int readListFile(const std::string& path, std::vector<std::string>& paths)
{
    InFile file(path);
    if (!file.isOpen()) return LIST_CANT_OPEN;

    std::string line;
    if (!file.readLine(line)) return file.readFailed() ? LIST_READ_FAILED : LIST_EMPTY;
    if (line != LIST_FILE_HEADER) return LIST_WRONG_HEADER;

    // Lines are kept whole, however long: a path is never cut.
    std::vector<std::string> read;
    while (file.readLine(line)) read.push_back(decodeLegacyText(line));
    if (file.readFailed()) return LIST_READ_FAILED;

    paths = std::move(read);
    return LIST_READ_OK;
}
