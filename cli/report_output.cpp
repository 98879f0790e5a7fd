#include "cli/report_output.h"

#include "platform/atomic_file_writer.h"

namespace vortaxel::cli {

std::string WriteReportFile(const std::string& path, std::string_view text) {
    const keywords::WriteResult result = platform::WriteFileAtomically(path, text);
    return result ? std::string{} : result.error;
}

} // namespace vortaxel::cli
