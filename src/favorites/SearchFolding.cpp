#include "SearchFolding.h"

#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <memory>

namespace mv {
namespace {

bool isAscii(std::u16string_view text) {
    for (const char16_t c : text)
        if (c >= 0x80) return false;
    return true;
}

bool hasHiragana(const icu::UnicodeString& text) {
    for (int32_t i = 0; i < text.length(); ++i) {
        const char16_t c = text.charAt(i);
        if (c >= 0x3041 && c <= 0x309F) return true;
    }
    return false;
}

const icu::Normalizer2* nfkcCasefold() {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* n = icu::Normalizer2::getNFKCCasefoldInstance(status);
    return U_SUCCESS(status) ? n : nullptr;
}

// ICU does not promise that one transliterator serves several threads at once, and the index
// is built on a worker thread while the window may be searching: each thread has its own.
icu::Transliterator* hiraganaToKatakana() {
    thread_local const std::unique_ptr<icu::Transliterator> instance = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Transliterator> t(icu::Transliterator::createInstance(
            icu::UnicodeString(u"Hiragana-Katakana"), UTRANS_FORWARD, status));
        if (U_FAILURE(status)) t.reset();
        return t;
    }();
    return instance.get();
}

} // namespace

std::u16string FoldForSearch(std::u16string_view text) {
    // Most URLs are plain ASCII, where all of the folding comes down to lower case.
    if (isAscii(text)) {
        std::u16string out(text);
        for (char16_t& c : out)
            if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
        return out;
    }
    const icu::UnicodeString source(false, text.data(), int32_t(text.size()));
    icu::UnicodeString folded;
    UErrorCode status = U_ZERO_ERROR;
    if (const icu::Normalizer2* n = nfkcCasefold()) folded = n->normalize(source, status);
    if (!nfkcCasefold() || U_FAILURE(status)) folded = icu::UnicodeString(source).foldCase();
    if (hasHiragana(folded))
        if (icu::Transliterator* t = hiraganaToKatakana()) t->transliterate(folded);
    return std::u16string(folded.getBuffer(), size_t(folded.length()));
}

} // namespace mv
