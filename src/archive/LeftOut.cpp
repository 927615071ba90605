#include "LeftOut.h"

#include "platform/codepage.h"
#include "platform/error.h"

#include <algorithm>

namespace mv {
namespace {

// The same reason texts as every other failure the program reports.
QString errorText(int error) {
    return reasonText(std::error_code(error, std::generic_category()));
}

std::string unescape(std::string_view name) {
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        auto hex = [](char c) {
            return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        };
        if (name[i] == '%' && i + 2 < name.size() && hex(name[i + 1]) >= 0 &&
            hex(name[i + 2]) >= 0) {
            out += static_cast<char>(hex(name[i + 1]) * 16 + hex(name[i + 2]));
            i += 2;
        } else {
            out += name[i];
        }
    }
    return out;
}

} // namespace

TLeftOutList ParseLibraryLeftOut(std::string_view log) {
    static constexpr std::string_view kPrefix = "warning: left out: ";
    struct Known {
        std::string_view text;
        TLeftOutReason reason;
    };
    static constexpr Known kReasons[] = {
        {"missing", TLeftOutReason::Vanished},
        {"dangling link", TLeftOutReason::DanglingLink},
        {"not a regular file", TLeftOutReason::NotAFile},
        {"unreadable folder", TLeftOutReason::FolderUnreadable},
        {"unreadable", TLeftOutReason::Unreadable},
        {"same name as another file", TLeftOutReason::SameNameOtherCase},
        {"changed while packing", TLeftOutReason::Changed},
    };
    TLeftOutList out;
    while (!log.empty()) {
        const size_t end = std::min(log.find('\n'), log.size());
        std::string_view line = log.substr(0, end);
        log.remove_prefix(std::min(end + 1, log.size()));
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (!line.starts_with(kPrefix)) continue;
        line.remove_prefix(kPrefix.size());
        TLeftOut item{{}, TLeftOutReason::Library, 0, {}, true};
        bool known = false;
        for (const auto& [text, reason] : kReasons) {
            if (line.starts_with(text) && line.substr(text.size()).starts_with(": ")) {
                item.reason = reason;
                line.remove_prefix(text.size() + 2);
                known = true;
                break;
            }
        }
        if (!known) {
            // A reason this program does not know yet: shown as the library wrote it.
            const size_t colon = line.find(": ");
            if (colon == std::string_view::npos) continue;
            item.other = line.substr(0, colon);
            line.remove_prefix(colon + 2);
        }
        item.name = unescape(line);
        out.push_back(std::move(item));
    }
    return out;
}

QString DescribeLeftOut(const TLeftOut& item) {
    QString why;
    switch (item.reason) {
    case TLeftOutReason::Vanished:
        why = QStringLiteral("見つかりません");
        break;
    case TLeftOutReason::DanglingLink:
        why = QStringLiteral("リンク先がありません");
        break;
    case TLeftOutReason::NotAFile:
        why = QStringLiteral("通常のファイルではありません");
        break;
    case TLeftOutReason::Unreadable:
        why = item.error ? QStringLiteral("読み取れません (%1)").arg(errorText(item.error))
                         : QStringLiteral("読み取れません");
        break;
    case TLeftOutReason::FolderUnreadable:
        why = item.error
                  ? QStringLiteral("フォルダの中を読み取れません (%1)").arg(errorText(item.error))
                  : QStringLiteral("フォルダの中を読み取れません");
        break;
    case TLeftOutReason::FolderLink:
        why = QStringLiteral("フォルダへのリンクはたどりません");
        break;
    case TLeftOutReason::SameNameOtherCase:
        why = item.other.empty() ? QStringLiteral("書庫の中で同じ名前になる別のファイルがあります")
                                 : QStringLiteral("大文字と小文字だけが違う「%1」を入れました")
                                       .arg(toQt(item.other));
        break;
    case TLeftOutReason::Changed:
        why = QStringLiteral("圧縮中に変更されました");
        break;
    case TLeftOutReason::Library:
        why = toQt(item.other);
        break;
    }
    return QStringLiteral("%1: %2").arg(toQt(item.name), why);
}

} // namespace mv
