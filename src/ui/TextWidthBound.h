#pragma once
// An upper bound on the drawn width of a text in one font, at the cost of a table look-up per
// character: a caller that only needs to know whether a text can be wider than some width
// shapes just the few texts that can.

#include <QFont>
#include <QFontMetricsF>
#include <QStringDecoder>
#include <QStringView>
#include <optional>
#include <string_view>
#include <vector>

namespace mv {

class TextWidthBound {
public:
    explicit TextWidthBound(const QFont& font);

    // Never less than QFontMetrics(font).horizontalAdvance(text); nothing for a text with
    // characters whose width depends on their neighbours beyond kerning (combining marks,
    // scripts shaped in context, characters outside the Basic Multilingual Plane).
    std::optional<int> Of(QStringView text);
    // The same for UTF-8 bytes, without making a string of them (a listing asks for thousands);
    // nothing for bytes that are not UTF-8.
    std::optional<int> OfUtf8(std::string_view bytes);

    const QFont& Font() const { return font_; }

private:
    // The advance of one character in 1/64 pixels, measured once; -1 for one not bounded.
    int advance(char16_t c);

    QFont font_;
    QFontMetricsF metrics_;
    int commonFloor_; // in 1/64 pixels, see advance()
    std::vector<int> advances_;
    QStringDecoder utf8_{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless};
    std::vector<QChar> decoded_;
};

} // namespace mv
