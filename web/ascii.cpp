#include "web/ascii.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vortaxel::web {

namespace {

constexpr auto npos = std::string_view::npos;
constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
// OR-ing 0x20 folds A-Z onto a-z; it folds some other bytes together too, which only adds
// candidates that the exact comparison then rejects.
constexpr std::uint64_t kFold = 0x2020202020202020ULL;

constexpr unsigned char Fold(char c) {
    return static_cast<unsigned char>(c) | 0x20;
}

constexpr bool IsLetter(char c) {
    return ToLowerAscii(c) != ToUpperAscii(c);
}

std::uint64_t Load64(const char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

} // namespace

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    // Texts mostly agree exactly, so whole words are compared first, inline: most texts here
    // are a few bytes long, where a library call costs more than the comparison.
    std::size_t i = 0;
    for (; i + 8 <= a.size() && Load64(a.data() + i) == Load64(b.data() + i); i += 8) {
    }
    for (; i < a.size(); ++i) {
        if (a[i] != b[i] && ToLowerAscii(a[i]) != ToLowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

bool EndsWithIgnoreCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && EqualsIgnoreCase(text.substr(text.size() - suffix.size()), suffix);
}

bool ContainsIgnoreCase(std::string_view text, std::string_view needle) {
    return CaselessFinder(needle).Next(text, 0) != npos;
}

CaselessFinder::CaselessFinder(std::string_view needle) : needle_(needle) {
    int best = -1;
    for (std::size_t k = 0; k + 1 < needle.size(); ++k) {
        const int score = (IsLetter(needle[k]) ? 0 : 1) + (IsLetter(needle[k + 1]) ? 0 : 1);
        if (score > best) {
            best = score;
            anchor_ = k;
        }
    }
    if (needle.size() >= 2) {
        if (!IsLetter(needle[anchor_])) {
            exactByte_ = 0;
        } else if (!IsLetter(needle[anchor_ + 1])) {
            exactByte_ = 1;
        }
    }
}

std::size_t CaselessFinder::NextExact(std::string_view text, std::size_t at, std::size_t end) const {
    // A byte that is not a letter matches only itself, so the library's search, faster than any
    // loop here, finds every candidate; the other byte of the pair then sorts most of them out.
    const char exact = needle_[anchor_ + exactByte_];
    const unsigned char other = Fold(needle_[anchor_ + 1 - exactByte_]);
    const char* data = text.data();
    for (std::size_t from = at + exactByte_; from < end + exactByte_;) {
        const auto* found = static_cast<const char*>(std::memchr(data + from, exact, end + exactByte_ - from));
        if (found == nullptr) {
            return npos;
        }
        const auto hit = static_cast<std::size_t>(found - data);
        if (Fold(data[hit + 1 - 2 * exactByte_]) == other) {
            return hit - exactByte_;
        }
        from = hit + 1;
    }
    return npos;
}

std::size_t CaselessFinder::NextPair(std::string_view text, std::size_t at, std::size_t end) const {
    if (exactByte_ != kNoExactByte) {
        return NextExact(text, at, end);
    }
    const unsigned char first = Fold(needle_[anchor_]);
    const unsigned char second = Fold(needle_[anchor_ + 1]);
#if defined(__SSE2__)
    const __m128i fold = _mm_set1_epi8(0x20);
    const __m128i wantFirst = _mm_set1_epi8(static_cast<char>(first));
    const __m128i wantSecond = _mm_set1_epi8(static_cast<char>(second));
    for (; at < end && at + 17 <= text.size(); at += 16) {
        const auto* here = reinterpret_cast<const __m128i*>(text.data() + at);
        const auto* next = reinterpret_cast<const __m128i*>(text.data() + at + 1);
        const __m128i a = _mm_or_si128(_mm_loadu_si128(here), fold);
        const __m128i b = _mm_or_si128(_mm_loadu_si128(next), fold);
        const int hits = _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, wantFirst), _mm_cmpeq_epi8(b, wantSecond)));
        if (hits != 0) {
            const std::size_t hit = at + static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(hits)));
            return hit < end ? hit : npos;
        }
    }
#endif
    if constexpr (std::endian::native == std::endian::little) {
        const std::uint64_t wantFirst = first * kOnes;
        const std::uint64_t wantSecond = second * kOnes;
        for (; at < end && at + 9 <= text.size(); at += 8) {
            const std::uint64_t miss = ((Load64(text.data() + at) | kFold) ^ wantFirst) |
                                       ((Load64(text.data() + at + 1) | kFold) ^ wantSecond);
            // The lowest flagged byte is exact: a borrow only runs upward from a real zero byte.
            const std::uint64_t hits = (miss - kOnes) & ~miss & kHighs;
            if (hits != 0) {
                const std::size_t hit = at + static_cast<std::size_t>(std::countr_zero(hits)) / 8;
                return hit < end ? hit : npos;
            }
        }
    }
    for (; at < end; ++at) {
        if (Fold(text[at]) == first && Fold(text[at + 1]) == second) {
            return at;
        }
    }
    return npos;
}

std::size_t CaselessFinder::Next(std::string_view text, std::size_t from) const {
    const std::size_t n = needle_.size();
    if (from > text.size() || n > text.size() - from) {
        return npos;
    }
    if (n == 0) {
        return from;
    }
    if (n == 1) {
        const auto same = [this](char c) { return ToLowerAscii(c) == ToLowerAscii(needle_[0]); };
        const auto it = std::find_if(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(), same);
        return it == text.end() ? npos : static_cast<std::size_t>(it - text.begin());
    }
    // Anchor pairs start in [from + anchor, end); each one that passes is checked in full.
    const std::size_t end = text.size() - n + anchor_ + 1;
    for (std::size_t at = from + anchor_; at < end;) {
        const std::size_t hit = NextPair(text, at, end);
        if (hit == npos) {
            return npos;
        }
        const std::size_t start = hit - anchor_;
        if (EqualsIgnoreCase(text.substr(start, n), needle_)) {
            return start;
        }
        at = hit + 1;
    }
    return npos;
}

} // namespace vortaxel::web
