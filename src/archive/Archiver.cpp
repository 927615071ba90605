#include "Archiver.h"

#include "ArchiverDll.h"
#include "ArchiverErrors.h"

using namespace Qt::Literals::StringLiterals;

namespace mv {

void TArchiver::LoadDLL() {
    throw EArchiver(u"Abstract method 'TArchiver.LoadDLL' was called"_s);
}

void TArchiver::FreeDLL() {
    throw EArchiver(u"Abstract method 'TArchiver.FreeDLL' was called"_s);
}

int TArchiver::ExtractFiles(void*, const std::string&, TOutputBuffer&, bool,
                            const std::vector<std::string>&, const std::string&,
                            const TArchiverOptions&) {
    throw EArchiver(u"Abstract method 'TArchiver.ExtractFiles' was called"_s);
}

int TArchiver::PackFiles(void*, const std::string&, TOutputBuffer&, bool,
                         const std::vector<std::string>&, const std::string&,
                         const TArchiverOptions&) {
    throw EArchiver(u"この形式では書庫ファイルの作成をサポートしておりません。"_s);
}

int TArchiver::RemoveItems(void*, const std::string&, TOutputBuffer&, bool,
                           const std::vector<std::string>&, const TArchiverOptions&) {
    throw EArchiver(u"この形式の書庫ではファイルの削除をサポートしておりません。"_s);
}

int TArchiver::UpdateFiles(void*, const std::string&, TOutputBuffer&, bool,
                           const std::vector<std::string>&, const std::string&,
                           const TArchiverOptions&) {
    throw EArchiver(u"この形式の書庫では書庫の更新をサポートしておりません。"_s);
}

int TArchiver::MakeSfx(void*, const std::string&, TOutputBuffer&, const std::string&,
                       const TArchiverOptions&) {
    throw EArchiver(u"この形式では自己解凍書庫の作成をサポートしておりません。"_s);
}

int TArchiver::ExtractMem(void*, const std::string&, const std::string&, std::vector<char>&,
                          const TArchiverOptions&) {
    throw EArchiver(u"この形式ではメモリへの展開をサポートしておりません。"_s);
}

bool TArchiver::CheckArchive(const std::string&, int) {
    throw EArchiver(u"この形式では書庫チェック機能をサポートしておりません。"_s);
}

void TArchiver::SetOwnerWindow(void* window, ARCHIVERPROC) {
    ownerWindow_ = window;
    progressRegistered_ = true;
}

void TArchiver::RemoveOwnerWindow() {
    ownerWindow_ = nullptr;
    progressRegistered_ = false;
}

int TArchiver::Run(TCustomArchiverDll& dll, void* owner, const std::string& cmdLine,
                   TOutputBuffer& output) {
    commandLine_ = cmdLine;
    if (!output.empty()) output[0] = '\0';
    return dll.Command(owner, cmdLine, output.data(), output.size());
}

} // namespace mv
