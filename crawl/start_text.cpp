#include "crawl/start_text.h"

namespace vortaxel::crawl {

bool PrepareStartText(std::string& text) {
    if (text.empty() || text == "http://") {
        return false;
    }
    if (text.back() != '/') {
        text += '/';
    }
    return true;
}

} // namespace vortaxel::crawl
