#include "error.h"

#include "codepage.h"

#include <cstring>

namespace mv {

QString reasonText(std::error_code ec) {
    if (ec.category() == std::generic_category() || ec.category() == std::system_category()) {
        switch (ec.value()) {
        case EACCES:
        case EPERM:
            return QStringLiteral("アクセスが拒否されました。");
        case ENOENT:
            return QStringLiteral("指定されたファイルが見つかりません。");
        case ENOTDIR:
            return QStringLiteral("指定されたパスが見つかりません。");
        case EEXIST:
        case ENOTEMPTY:
            return QStringLiteral("同じ名前のファイルまたはフォルダーが既にあります。");
        case ENOSPC:
        case EDQUOT:
            return QStringLiteral("ディスクの空き領域が不足しています。");
        case EROFS:
            return QStringLiteral("ディスクは書き込み禁止になっています。");
        case ENAMETOOLONG:
            return QStringLiteral("ファイル名が長すぎます。");
        case EXDEV:
            return QStringLiteral("別のファイル システムへは移動できません。");
        case EBUSY:
        case ETXTBSY:
            return QStringLiteral("ファイルまたはフォルダーは使用中です。");
        case EIO:
            return QStringLiteral("I/O エラーが発生しました。");
        case EINVAL:
            return QStringLiteral("パラメーターが間違っています。");
        case ELOOP:
            return QStringLiteral("シンボリック リンクが多すぎます。");
        case EOPNOTSUPP:
            return QStringLiteral("この操作はサポートされていません。");
        default:
            break;
        }
        char buf[256];
        const char* text = ::strerror_r(ec.value(), buf, sizeof buf);
        return QStringLiteral("エラー %1 (%2)").arg(ec.value()).arg(QString::fromLocal8Bit(text));
    }
    return QStringLiteral("エラー %1 (%2)")
        .arg(ec.value())
        .arg(QString::fromLocal8Bit(ec.message().c_str()));
}

Error cannotWriteError(const std::string& path) {
    return Error(QStringLiteral("%1 に書き込めません").arg(toQt(path)));
}

Error fileError(const std::string& path, std::error_code ec) {
    return Error(toQt(path) + QStringLiteral(": ") + reasonText(ec));
}

} // namespace mv
