#include "LinkStateText.h"

#include "platform/codepage.h"

namespace mv {

QString LinkStateCaption(LinkState state) {
    switch (state) {
    case LinkState::Ok:
        return QStringLiteral("正常");
    case LinkState::Moved:
        return QStringLiteral("移動");
    case LinkState::NotFound:
        return QStringLiteral("見つからない");
    case LinkState::ServerError:
        return QStringLiteral("サーバーエラー");
    case LinkState::ConnectFailed:
        return QStringLiteral("接続ミス");
    case LinkState::OtherStatus:
        return QStringLiteral("その他の応答");
    case LinkState::NotChecked:
        break;
    }
    return QStringLiteral("未確認");
}

QString LinkCellText(const LinkResult& result) {
    if (result.State == LinkState::Moved)
        return LinkStateCaption(result.State) + QStringLiteral(": ") + toQt(result.FinalUrl);
    return LinkStateCaption(result.State);
}

QString LinkDetailText(const LinkResult& result) {
    if (result.State == LinkState::NotChecked)
        return QStringLiteral("http・https 以外のアドレスか、中止されました");
    QString text;
    if (result.Status != 0) text = QStringLiteral("HTTP %1").arg(result.Status);
    if (!result.FinalUrl.empty())
        text += (result.Permanent ? QStringLiteral(" (恒久的な移動: ")
                                  : QStringLiteral(" (一時的な移動: ")) +
                toQt(result.FinalUrl) + QLatin1Char(')');
    if (!result.Error.empty())
        text +=
            (text.isEmpty() ? QString() : QStringLiteral(" ")) + QString::fromUtf8(result.Error);
    return text.trimmed();
}

const char* LinkStateKey(LinkState state) {
    switch (state) {
    case LinkState::Ok:
        return "ok";
    case LinkState::Moved:
        return "moved";
    case LinkState::NotFound:
        return "not_found";
    case LinkState::ServerError:
        return "server_error";
    case LinkState::ConnectFailed:
        return "connect_failed";
    case LinkState::OtherStatus:
        return "other_status";
    case LinkState::NotChecked:
        break;
    }
    return "not_checked";
}

} // namespace mv
