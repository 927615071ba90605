#include "ArchiverErrors.h"

#include "platform/codepage.h"

using namespace Qt::Literals::StringLiterals;

namespace mv {
namespace {

QString sfxMessage(const std::string& format, const std::string& file,
                   const std::string& platform) {
    return toQt(format) + u" 書庫からの"_s + toQt(platform) + u"自己解凍書庫の作成には '"_s +
           toQt(file) + u"' ファイルが必要です。"_s;
}

} // namespace

ESfxNoRequiredFile::ESfxNoRequiredFile(std::string formatName, std::string fileName,
                                       std::string platform)
    : EArchiver(sfxMessage(formatName, fileName, platform)), formatName_(std::move(formatName)),
      fileName_(std::move(fileName)), platform_(std::move(platform)) {}

ESfxNoRequiredFile::ESfxNoRequiredFile(std::string formatName, std::string fileName,
                                       std::string platform, QString message)
    : EArchiver(std::move(message)), formatName_(std::move(formatName)),
      fileName_(std::move(fileName)), platform_(std::move(platform)) {}

ENoArchiverDLL noArchiverDllError(const std::string& description, const std::string& libraryName) {
    return ENoArchiverDLL(
        QStringLiteral("%1 を扱うには %2 が 必要です。").arg(toQt(description), toQt(libraryName)));
}

EEntryNotFound entryNotFoundError(const std::string& modulePath, const std::string& function) {
    return EEntryNotFound(QStringLiteral("%1 に %2 のエントリが見つかりません。")
                              .arg(toQt(modulePath), toQt(function)));
}

} // namespace mv
