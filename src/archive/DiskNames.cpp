#include "DiskNames.h"

#include <langinfo.h>
#include <strings.h>

namespace mv {

const CodePage& DiskCodePage() {
    if (const char* codeset = nl_langinfo(CODESET)) {
        for (const char* sjis : {"SHIFT_JIS", "SJIS", "CP932", "WINDOWS-31J", "MS932"})
            if (strcasecmp(codeset, sjis) == 0) return CodePage::cp932();
    }
    return CodePage::utf8();
}

std::optional<std::string> ProgramNameOf(std::string_view diskName) {
    const CodePage& disk = DiskCodePage();
    const CodePage& program = CodePage::active();
    // Same code page: the bytes go through as they are, even when they are not well formed.
    if (disk.id() == program.id()) return std::string(diskName);
    if (!disk.isValid(diskName)) return std::nullopt;
    const std::u16string text = disk.decode(diskName);
    auto bytes = program.encode(text);
    if (!bytes || program.decode(*bytes) != text) return std::nullopt;
    return bytes;
}

std::string ProgramNameLossy(std::string_view diskName) {
    const CodePage& disk = DiskCodePage();
    const CodePage& program = CodePage::active();
    if (disk.id() == program.id()) return std::string(diskName);
    return program.fromQStringLossy(disk.toQString(diskName));
}

std::string DiskNameOf(std::string_view programName) {
    const CodePage& disk = DiskCodePage();
    const CodePage& program = CodePage::active();
    if (disk.id() == program.id()) return std::string(programName);
    return disk.fromQStringLossy(program.toQString(programName));
}

} // namespace mv
