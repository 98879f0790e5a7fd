#include "cli/keyword_output.h"

#include "export/keyword_file.h"
#include "export/text_phrase.h"
#include "platform/atomic_file_writer.h"

namespace vortaxel::cli {

std::string WriteKeywordFile(const crawl::FoundList& found, const std::string& path, bool decodeSlugs) {
    keywords::KeywordFileBuilder builder;
    for (std::size_t i = 0; i < found.Count(); ++i) {
        if (decodeSlugs) {
            builder.AddPhrase(keywords::MakeDecodedSlugPhrase(found.Text(i)));
        } else {
            builder.Add(found.Text(i));
        }
    }
    const services::WriteResult result = platform::WriteFileAtomically(path, builder.Bytes());
    return result ? std::string{} : result.error;
}

} // namespace vortaxel::cli
