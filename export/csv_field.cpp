#include "export/csv_field.h"

namespace vortaxel::keywords {

void AppendCsvField(std::string& text, std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        text += field;
        return;
    }
    text += '"';
    for (std::size_t quote = field.find('"'); quote != std::string_view::npos; quote = field.find('"')) {
        text.append(field.substr(0, quote + 1));
        text += '"';
        field.remove_prefix(quote + 1);
    }
    text += field;
    text += '"';
}

} // namespace vortaxel::keywords
