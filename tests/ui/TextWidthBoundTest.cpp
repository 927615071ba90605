#include "ui/TextWidthBound.h"
#include "platform/codepage.h"
#include "ui/JapaneseFonts.h"
#include "ui/StringGrid.h"

#include <QFontMetrics>
#include <QStringList>

#include <gtest/gtest.h>

namespace mv {
namespace {

// Latin alone (kerning pairs, ligature candidates), Japanese alone (kana, ideographs, the
// prolonged sound mark and punctuation shared between scripts), and both mixed in the ways
// site names and URLs mix them.
const QStringList& texts() {
    static const QStringList list = {
        QStringLiteral("https://example.com/page/12345?q=AVATAR&ff=fi"),
        QStringLiteral("WAVE Type Ty Yo LT AV fj ffl ..."),
        QStringLiteral("iiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiii"),
        QStringLiteral("MMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMM"),
        QStringLiteral("お気に入りのサイト・コーナー（最新版）「東京」、。"),
        QStringLiteral("漢字カタカナひらがなｶﾀｶﾅ全角ＡＢＣ１２３"),
        QStringLiteral("Yahoo!ジャパン - ニュース 2024年ーー10月"),
        QStringLiteral("Ｗｅｂ サイト: café naïve Œuvre ÆØÅ ß"),
        QStringLiteral("ー"),
        QStringLiteral("  spaces  and\u00A0no-break  "),
    };
    return list;
}

QList<QFont> fonts() {
    QFont small = MsPGothicFont(9);
    QFont boldLatin(QStringLiteral("DejaVu Serif"), 13);
    boldLatin.setBold(true);
    return {MsPGothicFont(12), small, QFont(QStringLiteral("DejaVu Sans"), 10), boldLatin,
            QFont(QStringLiteral("Noto Sans Mono CJK JP"), 11)};
}

TEST(TextWidthBound, NeverBelowTheShapedWidthAndCloseToIt) {
    for (const QFont& font : fonts()) {
        TextWidthBound bound(font);
        const QFontMetrics metrics(font);
        for (const QString& text : texts()) {
            const std::optional<int> b = bound.Of(text);
            ASSERT_TRUE(b.has_value()) << text.toStdString();
            const int shaped = metrics.horizontalAdvance(text);
            EXPECT_GE(*b, shaped) << font.family().toStdString() << ": " << text.toStdString();
            // Loose bounds would send every text to be shaped after all.
            EXPECT_LE(*b, shaped * 13 / 10 + 4)
                << font.family().toStdString() << ": " << text.toStdString();
        }
    }
}

TEST(TextWidthBound, LeavesContextShapedTextToMeasuring) {
    TextWidthBound bound(MsPGothicFont(12));
    EXPECT_FALSE(bound.Of(QStringLiteral("cafe\u0301")).has_value()); // combining accent
    EXPECT_FALSE(bound.Of(QStringLiteral("مرحبا")).has_value());
    EXPECT_FALSE(bound.Of(QStringLiteral("が\u3099")).has_value());
    EXPECT_FALSE(bound.Of(QStringLiteral("emoji \U0001F600")).has_value());
    EXPECT_EQ(bound.Of(QString()), 0);
}

TEST(TextWidthBound, Utf8BytesGiveTheBoundOfTheirText) {
    TextWidthBound bound(MsPGothicFont(12));
    for (const QString& text : texts()) {
        const QByteArray utf8 = text.toUtf8();
        EXPECT_EQ(bound.OfUtf8({utf8.constData(), size_t(utf8.size())}), bound.Of(text))
            << text.toStdString();
    }
    // A longer text first, so a shorter one after it must not reuse what the first left.
    EXPECT_EQ(bound.OfUtf8("\xE3\x81\x82\xE3\x81\x82"), bound.Of(QStringLiteral("ああ")));
    EXPECT_EQ(bound.OfUtf8("a"), bound.Of(QStringLiteral("a")));
    EXPECT_FALSE(bound.OfUtf8("\x82\xA0").has_value());   // Shift-JIS, not UTF-8
    EXPECT_FALSE(bound.OfUtf8("ab\xE3\x81").has_value()); // cut inside a character
}

TEST(TextWidthBound, GridFitTestAgreesWithMeasuringAtTheEdge) {
    TStringGrid grid;
    for (const QFont& font : fonts()) {
        grid.setFont(font);
        QStringList all = texts();
        all << QStringLiteral("e\u0301t\u00E9") << QString();
        for (const QString& text : all) {
            const std::string bytes = fromQt(text);
            const int width = grid.TextWidth(bytes);
            EXPECT_TRUE(grid.TextFitsWithin(bytes, width)) << bytes;
            EXPECT_FALSE(grid.TextFitsWithin(bytes, width - 1)) << bytes;
        }
    }
}

} // namespace
} // namespace mv
