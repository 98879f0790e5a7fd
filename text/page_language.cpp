#include "text/page_language.h"

namespace vortaxel::text {

std::string ChoosePageLanguage(const std::string& declared, const DetectedLanguage& detected) {
    if (declared.empty()) {
        return detected.code;
    }
    const bool overrules = !detected.code.empty() && detected.code != declared && detected.reliable &&
                           detected.textBytes >= kOverrulingTextBytes && detected.percent >= kOverrulingPercent;
    return overrules ? detected.code : declared;
}

} // namespace vortaxel::text
