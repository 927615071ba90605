#include "FileOperation.h"

#include "platform/error.h"

#include <algorithm>
#include <new>
#include <stdexcept>

namespace mv {
namespace {

Error noMemory() {
    return Error(QStringLiteral("ShfOperation:メモリ割当てに失敗しました."));
}

} // namespace

uint16_t TShfOperation::FlagWord() const {
    uint16_t word = 0;
    if (Options.ALLOWUNDO) word |= FOF_ALLOWUNDO;
    if (Options.FILESONLY) word |= FOF_FILESONLY;
    if (Options.MUILIDESTFILES) word |= FOF_MULTIDESTFILES;
    if (Options.NOCONFIRMATION) word |= FOF_NOCONFIRMATION;
    if (Options.NOCONFIRMMKDIR) word |= FOF_NOCONFIRMMKDIR;
    if (Options.RENAMEONCOLLISION) word |= FOF_RENAMEONCOLLISION;
    if (Options.SILENT) word |= FOF_SILENT;
    if (Options.SIMPLEPROGRESS) word |= FOF_SIMPLEPROGRESS;
    return word;
}

unsigned TShfOperation::OperationCode(TwFunc func) {
    switch (func) {
    case foMOVE:
        return FO_MOVE;
    case foCOPY:
        return FO_COPY;
    case foDELETE:
        return FO_DELETE;
    case foRENAME:
        return FO_RENAME;
    }
    return 0;
}

std::vector<char> TShfOperation::BuildPathBuffer(const std::vector<std::string>& paths) {
    size_t size = 10;
    for (const auto& p : paths)
        size += p.size() + 1;
    std::vector<char> buffer;
    try {
        buffer.assign(size, '\0');
    } catch (const std::bad_alloc&) {
        throw noMemory();
    } catch (const std::length_error&) {
        throw noMemory();
    }
    size_t at = 0;
    for (const auto& p : paths) {
        // A path is its bytes up to a first zero, as the shell will read it.
        p.copy(buffer.data() + at, std::min(p.size(), p.find('\0')));
        at += p.size() + 1;
    }
    return buffer;
}

int TShfOperation::Execute() {
    if (FromFFList.empty()) throw Error(QStringLiteral("ShfOperation:ﾌｧｲﾙが指定されていません."));
    const uint16_t flags = FlagWord();
    std::vector<char> from = BuildPathBuffer(FromFFList);
    std::vector<char> to;
    if (Options.MUILIDESTFILES) {
        if (ToFiles.empty())
            throw Error(QStringLiteral("ShfOperation:ﾀｰｹﾞｯﾄが指定されていません."));
        to = BuildPathBuffer(ToFiles);
    } else {
        try {
            to.assign(ToFolder.begin(), ToFolder.end());
            to.push_back('\0');
            to.push_back('\0');
        } catch (const std::bad_alloc&) {
            throw noMemory();
        }
    }

    SHFILEOPSTRUCTA op;
    op.hwnd = nullptr;
    op.wFunc = OperationCode(OperationF);
    op.pFrom = from.data();
    op.pTo = to.data();
    op.fFlags = flags;
    op.fAnyOperationsAborted = 0;
    op.hNameMappings = nullptr;
    op.lpszProgressTitle = ProgressTitle.empty() ? nullptr : ProgressTitle.c_str();

    const int result = shell_ ? shell_(&op) : SHFileOperationA(&op);
    fAbort_ = op.fAnyOperationsAborted != 0;
    return result;
}

} // namespace mv
