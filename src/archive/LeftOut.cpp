#include "LeftOut.h"

#include "platform/codepage.h"

#include <cerrno>

namespace mv {
namespace {

QString errorText(int error) {
    switch (error) {
    case EACCES:
    case EPERM: return QStringLiteral("アクセス権がありません");
    case ELOOP: return QStringLiteral("リンクが循環しています");
    case ENOENT: return QStringLiteral("見つかりません");
    case EIO: return QStringLiteral("入出力エラー");
    default: return QStringLiteral("エラー %1").arg(error);
    }
}

} // namespace

QString DescribeLeftOut(const TLeftOut& item) {
    QString why;
    switch (item.reason) {
    case TLeftOutReason::Vanished: why = QStringLiteral("見つかりません"); break;
    case TLeftOutReason::DanglingLink: why = QStringLiteral("リンク先がありません"); break;
    case TLeftOutReason::NotAFile: why = QStringLiteral("通常のファイルではありません"); break;
    case TLeftOutReason::Unreadable:
        why = QStringLiteral("読み取れません (%1)").arg(errorText(item.error));
        break;
    case TLeftOutReason::FolderUnreadable:
        why = QStringLiteral("フォルダの中を読み取れません (%1)").arg(errorText(item.error));
        break;
    case TLeftOutReason::FolderLink: why = QStringLiteral("フォルダへのリンクはたどりません"); break;
    case TLeftOutReason::SameNameOtherCase:
        why = QStringLiteral("大文字と小文字だけが違う「%1」を入れました").arg(toQt(item.other));
        break;
    case TLeftOutReason::Library: why = toQt(item.other); break;
    }
    return QStringLiteral("%1: %2").arg(toQt(item.name), why);
}

} // namespace mv
