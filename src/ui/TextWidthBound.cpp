#include "TextWidthBound.h"

#include <QChar>
#include <QString>
#include <cmath>

namespace mv {
namespace {

constexpr int kUnmeasured = -2;
constexpr int kUnbounded = -1;

// Characters whose shaped width is their own advance, give or take kerning: Latin with its
// spacing modifiers, CJK punctuation, kana, ideographs, full- and half-width forms.
bool plainCharacter(char16_t c) {
    return (c >= 0x20 && c < 0x300) || (c >= 0x3000 && c < 0x3100) || (c >= 0x3400 && c < 0x4DC0) ||
           (c >= 0x4E00 && c < 0xA000) || (c >= 0xFF01 && c < 0xFFF0);
}

int toUnits(qreal pixels) {
    return static_cast<int>(std::ceil(pixels * 64.0));
}

} // namespace

TextWidthBound::TextWidthBound(const QFont& font)
    : font_(font), metrics_(font), commonFloor_(toUnits(metrics_.height())),
      advances_(0x10000, kUnmeasured) {}

int TextWidthBound::advance(char16_t c) {
    int& slot = advances_[c];
    if (slot != kUnmeasured) return slot;
    const QChar ch(c);
    if (!plainCharacter(c) || ch.category() == QChar::Mark_NonSpacing ||
        ch.category() == QChar::Mark_SpacingCombining || ch.category() == QChar::Mark_Enclosing) {
        slot = kUnbounded;
        return slot;
    }
    slot = toUnits(metrics_.horizontalAdvance(QString(ch)));
    // A shared character (punctuation, the prolonged sound mark) takes the font of the script
    // around it, which may be another fallback font than its own; beyond ASCII, which the
    // primary font holds, it is given at least the line height, wider than any such glyph.
    const QChar::Script script = ch.script();
    if (c >= 0x80 && (script == QChar::Script_Common || script == QChar::Script_Inherited))
        slot = std::max(slot, commonFloor_);
    return slot;
}

std::optional<int> TextWidthBound::Of(QStringView text) {
    long long units = 0;
    for (const QChar ch : text) {
        const int a = advance(ch.unicode());
        if (a < 0) return std::nullopt;
        units += a;
    }
    // The advances are exact in the 1/64 pixels the shaper sums; the total is rounded to a
    // pixel as the shaper rounds it. Kerning only narrows the pairs of these characters.
    return static_cast<int>((units + 32) / 64);
}

std::optional<int> TextWidthBound::OfUtf8(std::string_view bytes) {
    // A UTF-8 sequence gives at most one UTF-16 unit per byte.
    if (decoded_.size() < bytes.size()) decoded_.resize(bytes.size());
    utf8_.resetState();
    const QChar* end = utf8_.appendToBuffer(decoded_.data(),
                                            QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    if (utf8_.hasError()) return std::nullopt;
    return Of(QStringView(decoded_.data(), end - decoded_.data()));
}

} // namespace mv
