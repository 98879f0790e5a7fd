#include "text/language_detector.h"

#include "text/language.h"

// CLD2's header uses FILE without including its header.
#include <cld2/public/compact_lang_det.h>
#include <cstdio>

namespace vortaxel::text {

DetectedLanguage DetectLanguage(std::string_view utf8) {
    if (utf8.size() > kDetectionSampleBytes) {
        // Cut at a character's start, so the sample stays valid UTF-8.
        std::size_t end = kDetectionSampleBytes;
        while (end > 0 && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) {
            --end;
        }
        utf8 = utf8.substr(0, end);
    }
    CLD2::Language top3[3];
    int percent3[3] = {0, 0, 0};
    int textBytes = 0;
    bool reliable = false;
    const CLD2::Language found = CLD2::ExtDetectLanguageSummary(utf8.data(), static_cast<int>(utf8.size()), true, top3,
                                                                percent3, &textBytes, &reliable);
    DetectedLanguage result;
    result.textBytes = textBytes;
    if (found == CLD2::UNKNOWN_LANGUAGE) {
        return result;
    }
    // CLD2 names Traditional Chinese "zh-Hant" and Hebrew by its retired code; DeclaredLanguage reads both.
    result.code = DeclaredLanguage(CLD2::LanguageCode(found));
    if (!result.code.empty()) {
        result.reliable = reliable;
        result.percent = top3[0] == found ? percent3[0] : 0;
    }
    return result;
}

} // namespace vortaxel::text
