#include "ui/JapaneseFonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace mv {

QString MsPGothicFamily() {
    return QStringLiteral("ＭＳ Ｐゴシック");
}

bool InstallJapaneseFontSubstitutes() {
    const QStringList installed = QFontDatabase::families();
    // Keeps the candidates that exist, in order of preference.
    const auto available = [&installed](const QStringList& candidates) {
        QStringList found;
        for (const QString& family : candidates)
            if (installed.contains(family, Qt::CaseInsensitive)) found << family;
        return found;
    };
    const QStringList proportional =
        available({QStringLiteral("IPAPGothic"), QStringLiteral("IPAexGothic"),
                   QStringLiteral("Noto Sans CJK JP")});
    const QStringList fixed =
        available({QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP"),
                   QStringLiteral("Noto Sans CJK JP")});
    const QStringList serif = available({QStringLiteral("IPAPMincho"), QStringLiteral("IPAMincho"),
                                         QStringLiteral("Noto Serif CJK JP")});
    const QStringList gothic = proportional.isEmpty() ? fixed : proportional;
    if (gothic.isEmpty() && serif.isEmpty()) return false;

    const QStringList proportionalNames = {MsPGothicFamily(), QStringLiteral("MS PGothic"),
                                           QStringLiteral("ＭＳ Ｕ Ｉ ゴシック"),
                                           QStringLiteral("MS UI Gothic")};
    for (const QString& name : proportionalNames)
        QFont::insertSubstitutions(name, gothic);
    for (const QString& name : {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic")})
        QFont::insertSubstitutions(name, fixed.isEmpty() ? gothic : fixed);
    for (const QString& name : {QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("ＭＳ 明朝"),
                                QStringLiteral("MS PMincho"), QStringLiteral("MS Mincho")})
        QFont::insertSubstitutions(name, serif.isEmpty() ? gothic : serif);
    return !gothic.isEmpty();
}

QFont MsPGothicFont(int pixelSize) {
    QFont font(MsPGothicFamily());
    font.setPixelSize(pixelSize);
    return font;
}

} // namespace mv
