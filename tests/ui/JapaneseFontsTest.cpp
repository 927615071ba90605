#include "ui/JapaneseFonts.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QStringList>

#include <gtest/gtest.h>

namespace mv {
namespace {

TEST(JapaneseFonts, WindowsFamiliesResolveToAnInstalledJapaneseFont) {
    ASSERT_TRUE(InstallJapaneseFontSubstitutes());
    const QStringList wanted = {QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")};
    const QFont font = MsPGothicFont(12);
    EXPECT_EQ(font.family(), QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_TRUE(wanted.contains(QFontInfo(font).family()))
        << QFontInfo(font).family().toStdString();
    EXPECT_EQ(QFontInfo(font).pixelSize(), 12);
    EXPECT_TRUE(QFontMetrics(font).inFont(QChar(u'漢')));
    const QStringList substitutes = QFont::substitutes(MsPGothicFamily());
    EXPECT_TRUE(InstallJapaneseFontSubstitutes());
    EXPECT_EQ(QFont::substitutes(MsPGothicFamily()), substitutes) << "a second call adds nothing";
    EXPECT_EQ(QFontInfo(QFont(QStringLiteral("ＭＳ ゴシック"))).family(),
              QStringLiteral("IPAGothic"));
}

} // namespace
} // namespace mv
