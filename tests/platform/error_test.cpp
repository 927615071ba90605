// The reasons the user reads when a file operation fails, and the helper that drops a failure
// on purpose.

#include "platform/error.h"

#include <gtest/gtest.h>

#include <future>
#include <stdexcept>

namespace {

std::error_code errnoCode(int err) {
    return std::error_code(err, std::generic_category());
}

TEST(ReasonText, EachKnownErrnoHasItsJapaneseReason) {
    struct Case {
        int err;
        const char16_t* text;
    } const cases[] = {
        {EACCES, u"アクセスが拒否されました。"},
        {EPERM, u"アクセスが拒否されました。"},
        {ENOENT, u"指定されたファイルが見つかりません。"},
        {ENOTDIR, u"指定されたパスが見つかりません。"},
        {EEXIST, u"同じ名前のファイルまたはフォルダーが既にあります。"},
        {ENOTEMPTY, u"同じ名前のファイルまたはフォルダーが既にあります。"},
        {ENOSPC, u"ディスクの空き領域が不足しています。"},
        {EDQUOT, u"ディスクの空き領域が不足しています。"},
        {EROFS, u"ディスクは書き込み禁止になっています。"},
        {ENAMETOOLONG, u"ファイル名が長すぎます。"},
        {EXDEV, u"別のファイル システムへは移動できません。"},
        {EBUSY, u"ファイルまたはフォルダーは使用中です。"},
        {ETXTBSY, u"ファイルまたはフォルダーは使用中です。"},
        {EIO, u"I/O エラーが発生しました。"},
        {EINVAL, u"パラメーターが間違っています。"},
        {ELOOP, u"シンボリック リンクが多すぎます。"},
        {EOPNOTSUPP, u"この操作はサポートされていません。"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(mv::reasonText(errnoCode(c.err)), QString::fromUtf16(c.text)) << c.err;
    }
    // The same codes as the system category gives them.
    EXPECT_EQ(mv::reasonText(std::error_code(ENOENT, std::system_category())),
              QStringLiteral("指定されたファイルが見つかりません。"));
}

TEST(ReasonText, OtherCodesShowTheirNumberAndTheSystemsWording) {
    const QString text = mv::reasonText(errnoCode(EMFILE));
    EXPECT_TRUE(text.startsWith(QStringLiteral("エラー %1 (").arg(EMFILE))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(u')'));
    EXPECT_GT(text.size(), QStringLiteral("エラー %1 ()").arg(EMFILE).size());
    // A code of another category is never taken for the errno of the same number.
    const QString other = mv::reasonText(std::make_error_code(std::future_errc::no_state));
    EXPECT_FALSE(other.contains(QStringLiteral("アクセス")));
    EXPECT_TRUE(other.startsWith(QStringLiteral("エラー ")));
}

TEST(ReasonText, FileErrorNamesThePathThenTheReason) {
    EXPECT_EQ(
        mv::fileError("/f/新しいフォルダ", errnoCode(EEXIST)).text(),
        QStringLiteral("/f/新しいフォルダ: 同じ名前のファイルまたはフォルダーが既にあります。"));
}

TEST(IgnoreFailure, SwallowsWhatTheWorkThrowsAndRunsItOnce) {
    int runs = 0;
    mv::ignoreFailure("test", [&] {
        ++runs;
        throw mv::Error(QStringLiteral("x"));
    });
    mv::ignoreFailure("test", [&] {
        ++runs;
        throw std::runtime_error("y");
    });
    mv::ignoreFailure("test", [&] { ++runs; });
    EXPECT_EQ(runs, 3);
}

} // namespace
