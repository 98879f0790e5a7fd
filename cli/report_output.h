#pragma once

#include <functional>
#include <string>
#include <string_view>

#include <QSaveFile>

namespace vortaxel::cli {

/// Writes the per-page report to `path`, all or nothing, the way the keyword file is written. Returns the
/// reason on failure, or an empty string; an existing file is left as it was when the write fails.
std::string WriteReportFile(const std::string& path, std::string_view text);

/// The per-page report written as the run goes, so a crawl of millions of pages never holds it whole: into
/// a temporary file beside `path`, put in its place by Commit only once every byte is on disk. Until then,
/// and after any failure, an existing file at `path` stays as it was.
class ReportFile {
public:
    explicit ReportFile(const std::string& path);
    ~ReportFile() = default;
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;
    ReportFile(ReportFile&&) = delete;
    ReportFile& operator=(ReportFile&&) = delete;

    /// Why the file cannot be written, from the open or the first failed write; empty while all is well.
    const std::string& Error() const { return error_; }
    /// Appends `text`; after a failure it does nothing.
    void Write(std::string_view text);
    /// Puts the report in place; returns the reason on failure, or an empty string.
    std::string Commit();

private:
    void Fail(const std::string& reason);

    QSaveFile file_;
    std::string error_;
};

/// Writes what `rest` gives (the part of the report not yet written) and puts the report in place. Returns
/// the reason on failure, or an empty string; running out of memory on the way is one such failure, and
/// leaves any existing file as it was.
std::string FinishReport(ReportFile& file, const std::function<std::string()>& rest);

} // namespace vortaxel::cli
