#pragma once

#include <cstddef>
#include <functional>
#include <istream>
#include <string>
#include <vector>

namespace vortaxel::crawl {

/// A line of an address list that names no web page, as the user wrote it.
struct ListedLineProblem {
    /// 1 for the first line.
    std::size_t line = 0;
    /// The line's first bytes (at most kListedLineShown of them), without its line end.
    std::string text;
    /// The whole line's length, which may be far past what `text` holds.
    std::size_t bytes = 0;
};

/// Bytes of a bad line told back: enough to find it in the file, without copying a huge one to a terminal.
inline constexpr std::size_t kListedLineShown = 200;

/// The pages an address list names, each as its page identity, in the order first written.
struct ListedAddresses {
    std::vector<std::string> addresses;
    /// Lines naming a page named on an earlier line.
    std::size_t duplicates = 0;
    /// Lines that name no web page.
    std::size_t refused = 0;
};

/// Reads a list of addresses, one a line (LF or CR LF). Blank lines and lines whose first non-blank byte is
/// "#" are comments; spaces and tabs around an address are dropped. Each other line must be an http or https
/// address; one that is not is told to `problem` and skipped. A line's bytes past what any address can hold
/// are read and counted, never kept, so a huge line costs no memory.
ListedAddresses ReadAddressList(std::istream& in, const std::function<void(const ListedLineProblem&)>& problem);

} // namespace vortaxel::crawl
