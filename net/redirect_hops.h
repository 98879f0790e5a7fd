#pragma once

#include "web/fetch_result.h"

#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::net {

/// Collects the redirects of one transfer from its header lines: each redirect answer's status and
/// Location, and the last answer's X-Robots-Tag and Link headers.
class RedirectHops {
public:
    void Clear();
    /// A reply's status line began a new answer.
    void NewAnswer();
    /// One "Name: value" header line of the current answer.
    void NoteHeader(std::string_view line);
    /// The current answer's headers ended with `status`.
    void AnswerEnded(long status);
    /// Each hop with the address that answered it, starting from `asked`; and the robots header.
    void Fill(const std::string& asked, web::FetchResult& result) const;

private:
    struct Pending {
        long code = 0;
        std::string location;
    };
    std::vector<Pending> hops_;
    std::string location_;
    std::string robotsTag_;
    std::string linkHeader_;
};

} // namespace vortaxel::net
