#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace vortaxel::crawl {

/// A URL's number in its store; lists hold these instead of strings.
using UrlId = std::uint32_t;

/// Holds each distinct URL once and numbers them 0, 1, 2, ... in order of arrival. Texts live
/// in fixed blocks that never move, so a view handed out stays valid until `Clear`. Lookup is an
/// open-addressing table of ids beside a fragment of each hash: no node or string per entry.
class UrlStore {
public:
    UrlStore();

    /// The id of `url`, adding it when it is new.
    UrlId Intern(std::string_view url);
    /// The id of `url` when it is held.
    bool Find(std::string_view url, UrlId& id) const;
    std::string_view Text(UrlId id) const { return texts_[id]; }
    std::size_t Size() const { return texts_.size(); }
    /// Forgets every URL; all ids and views die.
    void Clear();
    /// Bytes held, for measurements.
    std::size_t MemoryBytes() const;

private:
    static std::uint64_t Hash(std::string_view url);
    /// The slot holding `url`, or the empty slot where it would go.
    std::size_t Probe(std::string_view url, std::uint64_t hash) const;
    std::string_view Store(std::string_view url);
    void Grow();

    // Slot: 0 when empty, else (high half of the hash << 32) | (id + 1). The home slot comes
    // from that high half too, so growing the table never rereads a text.
    std::vector<std::uint64_t> slots_;
    std::vector<std::string_view> texts_;
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::vector<std::size_t> blockSizes_;
    char* free_ = nullptr;
    std::size_t freeLeft_ = 0;
};

} // namespace vortaxel::crawl
