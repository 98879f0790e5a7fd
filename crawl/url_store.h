#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace vortaxel::crawl {

/// A URL's number in its store; lists hold these instead of strings.
using UrlId = std::uint32_t;

/// Holds each distinct URL once, with the two marks the crawl keeps per URL: how many times the
/// queue holds it and whether the found list does. A URL and its marks share one record, so a
/// lookup touches two places in memory: its table slot and its record.
///
/// Records live in fixed blocks that never move, so a view handed out stays valid until `Clear`.
/// An id encodes where its record stands. Lookup is an open-addressing table of ids beside a
/// fragment of each hash, with no node or string object per URL.
class UrlStore {
public:
    UrlStore();

    static std::uint64_t Hash(std::string_view url);

    // Hints that start loading what a later lookup will need, so that the lookups of a batch
    // wait for memory side by side rather than one after another. They change nothing.

    /// The table slot where a lookup of `hash` starts.
    void PrefetchSlot(std::uint64_t hash) const;
    /// The record in that slot, if any; best after PrefetchSlot has had time to land.
    void PrefetchRecordOf(std::uint64_t hash) const;
    void PrefetchRecord(UrlId id) const;

    /// The id of `url`, adding it, with both marks clear, when it is new.
    UrlId Intern(std::string_view url) { return Intern(url, Hash(url)); }
    UrlId Intern(std::string_view url, std::uint64_t hash);
    /// The id of `url` when it is held.
    bool Find(std::string_view url, UrlId& id) const;
    std::string_view Text(UrlId id) const;

    std::uint32_t QueuedCount(UrlId id) const { return RecordAt(id)->queued; }
    void AddQueued(UrlId id) { ++RecordAt(id)->queued; }
    void RemoveQueued(UrlId id) { --RecordAt(id)->queued; }
    bool IsListed(UrlId id) const { return RecordAt(id)->listed != 0; }
    void SetListed(UrlId id, bool listed) { RecordAt(id)->listed = listed ? 1 : 0; }

    std::size_t Size() const { return size_; }
    /// Forgets every URL; all ids and views die.
    void Clear();
    /// Bytes held, for measurements.
    std::size_t MemoryBytes() const;

private:
    struct Record {
        std::uint32_t length;
        std::uint32_t queued : 31;
        std::uint32_t listed : 1;
        // The URL's bytes follow.
    };

    Record* RecordAt(UrlId id) const;
    /// The slot holding `url`, or the empty slot where it would go.
    std::size_t Probe(std::string_view url, std::uint64_t hash) const;
    UrlId Store(std::string_view url);
    void Grow();

    // Slot: 0 when empty, else (high half of the hash << 32) | (id + 1). The home slot comes
    // from that high half too, so growing the table never rereads a record.
    std::vector<std::uint64_t> slots_;
    struct Block {
        std::unique_ptr<std::byte[]> bytes;
        std::size_t size;
    };
    // One vector, so that a block and its size are added or not at all.
    std::vector<Block> blocks_;
    std::size_t blockBytes_ = 0;
    std::size_t blockUsed_ = 0;
    std::size_t size_ = 0;
};

} // namespace vortaxel::crawl
