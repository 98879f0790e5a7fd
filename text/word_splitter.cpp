#include "text/word_splitter.h"

#include <string>
#include <unicode/locid.h>
#include <unicode/ubrk.h>
#include <unicode/uchar.h>

namespace vortaxel::text {
namespace {

bool IsLink(char16_t c) {
    return c == '-' || c == '_' || c == '.' || c == '\'' || c == 0x2019;
}

bool IsSentenceEnd(UChar32 c) {
    switch (c) {
    case '.':
    case '!':
    case '?':
    case ';':
    case ':':
    case 0x2026: // horizontal ellipsis
        return true;
    default:
        return false;
    }
}

// Full-width and CJK sentence ends: the scripts that use them put no blank after them.
bool IsWideSentenceEnd(UChar32 c) {
    switch (c) {
    case 0x3002: // ideographic full stop
    case 0xFF01:
    case 0xFF1F:
    case 0xFF1B:
    case 0xFF1A:
    case 0xFF0E:
    case 0xFF61: // half-width ideographic full stop
    case 0x0964: // Devanagari danda
    case 0x06D4: // Arabic full stop
    case 0x061F: // Arabic question mark
    case 0x061B: // Arabic semicolon
        return true;
    default:
        return false;
    }
}

WordKind KindOf(std::int32_t status) {
    if (status < UBRK_WORD_NUMBER_LIMIT) {
        return WordKind::Number;
    }
    if (status < UBRK_WORD_LETTER_LIMIT) {
        return WordKind::Letters;
    }
    if (status < UBRK_WORD_KANA_LIMIT) {
        return WordKind::Kana;
    }
    return WordKind::Ideographs;
}

// ICU names a segment by the rule that ended it, so "x86" is a number to it; a word is a number only when
// it holds no letter.
WordKind KindOfSegment(const icu::UnicodeString& text, std::int32_t start, std::int32_t end, std::int32_t status) {
    const WordKind kind = KindOf(status);
    if (kind != WordKind::Number) {
        return kind;
    }
    for (std::int32_t i = start; i < end; i = text.moveIndex32(i, 1)) {
        if (u_isalpha(text.char32At(i))) {
            return WordKind::Letters;
        }
    }
    return kind;
}

// Katakana, the prolonged sound mark and the middle dot included, in full and half width.
bool IsKatakanaOnly(const icu::UnicodeString& text, std::int32_t start, std::int32_t end) {
    for (std::int32_t i = start; i < end; ++i) {
        const char16_t c = text.charAt(i);
        if (!((c >= 0x30A0 && c <= 0x30FF) || (c >= 0x31F0 && c <= 0x31FF) || (c >= 0xFF66 && c <= 0xFF9F))) {
            return false;
        }
    }
    return start < end;
}

bool IsAlnum(const icu::UnicodeString& text, std::int32_t at) {
    return at < text.length() && u_isalnum(text.char32At(at)) != 0;
}

// Sets how `word` stands to the gap [from, word.start) before it.
void ReadGap(const icu::UnicodeString& text, std::int32_t from, Word& word) {
    bool blanks = true;
    bool sentenceEnd = false;
    for (std::int32_t i = from; i < word.start;) {
        const UChar32 c = text.char32At(i);
        const std::int32_t next = text.moveIndex32(i, 1);
        if (u_isUWhiteSpace(c)) {
            word.blankBefore = true;
        } else {
            blanks = false;
            if (IsWideSentenceEnd(c) ||
                (IsSentenceEnd(c) && (next >= word.start || u_isUWhiteSpace(text.char32At(next))))) {
                sentenceEnd = true;
            }
        }
        i = next;
    }
    word.sentenceStart = sentenceEnd;
    word.followsInPhrase = blanks;
}

} // namespace

WordSplitter::WordSplitter(std::string_view lang) {
    UErrorCode status = U_ZERO_ERROR;
    words_.reset(icu::BreakIterator::createWordInstance(icu::Locale(std::string(lang).c_str()), status));
    if (U_FAILURE(status)) {
        words_.reset();
        status = U_ZERO_ERROR;
        words_.reset(icu::BreakIterator::createWordInstance(icu::Locale::getRoot(), status));
    }
    if (U_FAILURE(status)) {
        words_.reset();
    }
}

WordSplitter::~WordSplitter() = default;
WordSplitter::WordSplitter(WordSplitter&&) noexcept = default;
WordSplitter& WordSplitter::operator=(WordSplitter&&) noexcept = default;

std::vector<Word> WordSplitter::Split(const icu::UnicodeString& text, std::size_t maxWords) {
    std::vector<Word> out;
    if (!words_ || text.isEmpty()) {
        return out;
    }
    words_->setText(text);
    std::int32_t start = words_->first();
    for (std::int32_t end = words_->next(); end != icu::BreakIterator::DONE && out.size() < maxWords;
         start = end, end = words_->next()) {
        const std::int32_t status = words_->getRuleStatus();
        if (status < UBRK_WORD_NONE_LIMIT) {
            continue;
        }
        Word word{start, end, KindOfSegment(text, start, end, status)};
        if (!out.empty()) {
            Word& last = out.back();
            // ICU's dictionary knows few of the loanwords Japanese writes in katakana and cuts the others
            // into pieces ("ディス トリ ビュ"); a run of katakana is one word.
            if (start == last.end && IsKatakanaOnly(text, last.start, last.end) && IsKatakanaOnly(text, start, end)) {
                last.end = end;
                continue;
            }
            if (start == last.end + 1 && IsLink(text.charAt(last.end))) {
                last.end = end;
                if (last.kind == WordKind::Number && word.kind != WordKind::Number) {
                    last.kind = word.kind;
                }
                continue;
            }
        }
        out.push_back(word);
    }

    std::int32_t gapStart = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        Word& word = out[i];
        ReadGap(text, gapStart, word);
        if (i == 0) {
            word.sentenceStart = true;
            word.followsInPhrase = false;
        }
        if (word.kind == WordKind::Letters) {
            const std::int32_t limit = i + 1 < out.size() ? out[i + 1].start : text.length();
            std::int32_t after = word.end;
            const char16_t mark = after < limit ? text.charAt(after) : 0;
            const std::int32_t most = mark == '+' ? 2 : mark == '#' ? 1 : 0;
            while (after < limit && after - word.end < most && text.charAt(after) == mark) {
                ++after;
            }
            if (after > word.end && !IsAlnum(text, after) && (after >= text.length() || text.charAt(after) != mark)) {
                word.end = after;
            }
        }
        gapStart = word.end;
    }
    return out;
}

} // namespace vortaxel::text
