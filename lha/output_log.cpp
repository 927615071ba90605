#include "output_log.h"

namespace lha {
namespace {

std::string encode(const std::string& utf8, CodePage cp) {
    return cp == CodePage::Cp932 ? utf8ToCp932Lossy(utf8) : utf8;
}

} // namespace

std::string escapeName(std::string_view name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F || c == '%') {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

std::string leftOutText(std::string_view reason, std::string_view name) {
    return std::string(kLeftOutPrefix.substr(9)) + std::string(reason) + ": " + escapeName(name);
}

std::size_t OutputLog::leftOutCount() const {
    std::size_t n = 0;
    for (const auto& note : notes_)
        if (note.starts_with(kLeftOutPrefix)) ++n;
    return n;
}

std::string cutText(const std::string& text, std::size_t max, CodePage cp) {
    if (text.size() <= max) return text;
    std::size_t end = 0;
    if (cp == CodePage::Cp932) {
        std::size_t i = 0;
        while (i < max) {
            const unsigned char c = static_cast<unsigned char>(text[i]);
            const std::size_t n = ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) ? 2 : 1;
            if (i + n > max) break;
            i += n;
        }
        end = i;
    } else {
        end = max;
        while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            --end;
    }
    return text.substr(0, end);
}

std::string OutputLog::render(std::size_t capacity, CodePage cp) const {
    if (capacity == 0) return {};
    const std::size_t max = capacity - 1;
    std::string notes;
    for (const auto& n : notes_)
        notes += encode(n, cp) + "\n";
    std::string all;
    for (const auto& d : details_)
        all += encode(d, cp) + "\n";
    if (all.size() + notes.size() <= max) return all + notes;
    // Not everything fits: keep the first lines and say how many were left out.
    constexpr std::size_t kMoreRoom = 32;
    std::string details;
    std::size_t shown = 0;
    for (const auto& d : details_) {
        std::string line = encode(d, cp) + "\n";
        if (details.size() + line.size() + kMoreRoom + notes.size() > max) break;
        details += line;
        ++shown;
    }
    if (shown < details_.size())
        details += "... " + std::to_string(details_.size() - shown) + " more lines\n";
    return cutText(details + notes, max, cp);
}

} // namespace lha
