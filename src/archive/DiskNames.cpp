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

std::string Utf8NameOf(std::string_view diskName) {
    const CodePage& disk = DiskCodePage();
    if (disk.id() == CodePage::utf8().id()) return std::string(diskName);
    auto utf8 = convertEncoding(diskName, "CP932", "UTF-8");
    return utf8 ? *utf8 : std::string(diskName);
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
