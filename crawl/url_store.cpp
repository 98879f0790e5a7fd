#include "crawl/url_store.h"

#include "web/bit_mix.h"

#include <array>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

namespace vortaxel::crawl {

namespace {

constexpr std::size_t kInitialSlots = 1024;
constexpr std::uint64_t kTagMask = 0xffffffff00000000ULL;
// An id is (block << kOffsetBits) | (offset in the block / kAlign).
constexpr std::size_t kAlign = 8;
constexpr unsigned kOffsetBits = 17;
constexpr std::size_t kBlockBytes = kAlign << kOffsetBits;
constexpr std::size_t kMaxBlocks = std::size_t{1} << (32 - kOffsetBits);
// The home slot is taken from 32 hash bits, so the table stays below 2^32 slots.
constexpr std::size_t kMaxUrls = std::size_t{1} << 31;

std::uint64_t Load64(const char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

constexpr std::size_t RoundUp(std::size_t n) {
    return (n + kAlign - 1) / kAlign * kAlign;
}

void PrefetchAddress(const void* address) {
#if defined(__GNUC__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}

#if defined(__SIZEOF_INT128__)
__extension__ using Wide = unsigned __int128;

// Multiplies to 128 bits and folds the halves: one multiplication mixes 16 bytes of a URL.
std::uint64_t MulFold(std::uint64_t a, std::uint64_t b) {
    const Wide product = static_cast<Wide>(a) * b;
    return static_cast<std::uint64_t>(product) ^ static_cast<std::uint64_t>(product >> 64);
}
#else
std::uint64_t MulFold(std::uint64_t a, std::uint64_t b) {
    return web::MixBits(a ^ web::MixBits(b));
}
#endif

} // namespace

UrlStore::UrlStore() : slots_(kInitialSlots, 0) {}

std::uint64_t UrlStore::Hash(std::string_view url) {
    constexpr std::uint64_t kK0 = 0xa0761d6478bd642fULL;
    constexpr std::uint64_t kK1 = 0xe7037ed1a0b428dbULL;
    constexpr std::uint64_t kK2 = 0x8ebc6af09c88c6e3ULL;
    const char* p = url.data();
    std::size_t n = url.size();
    std::uint64_t h = (n * kK0) ^ kK1;
    for (; n > 16; p += 16, n -= 16) {
        h = MulFold(Load64(p) ^ kK1, Load64(p + 8) ^ h);
    }
    std::array<char, 16> tail{};
    if (n > 0) {
        std::memcpy(tail.data(), p, n);
    }
    h = MulFold(Load64(tail.data()) ^ kK2, Load64(tail.data() + 8) ^ h);
    return MulFold(h ^ kK0, url.size() ^ kK2);
}

void UrlStore::PrefetchSlot(std::uint64_t hash) const {
    PrefetchAddress(&slots_[(hash >> 32) & (slots_.size() - 1)]);
}

void UrlStore::PrefetchRecordOf(std::uint64_t hash) const {
    const std::uint64_t slot = slots_[(hash >> 32) & (slots_.size() - 1)];
    if (slot != 0) {
        PrefetchRecord(static_cast<UrlId>((slot & ~kTagMask) - 1));
    }
}

void UrlStore::PrefetchRecord(UrlId id) const {
    PrefetchAddress(RecordAt(id));
}

UrlStore::Record* UrlStore::RecordAt(UrlId id) const {
    std::byte* block = blocks_[id >> kOffsetBits].bytes.get();
    return std::launder(reinterpret_cast<Record*>(block + (id & ((1U << kOffsetBits) - 1)) * kAlign));
}

std::string_view UrlStore::Text(UrlId id) const {
    const Record* record = RecordAt(id);
    return {reinterpret_cast<const char*>(record + 1), record->length};
}

std::size_t UrlStore::Probe(std::string_view url, std::uint64_t hash) const {
    const std::uint64_t tag = hash & kTagMask;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = (hash >> 32) & mask;; i = (i + 1) & mask) {
        const std::uint64_t slot = slots_[i];
        if (slot == 0 || ((slot & kTagMask) == tag && Text(static_cast<UrlId>((slot & ~kTagMask) - 1)) == url)) {
            return i;
        }
    }
}

bool UrlStore::Find(std::string_view url, UrlId& id) const {
    const std::uint64_t slot = slots_[Probe(url, Hash(url))];
    if (slot == 0) {
        return false;
    }
    id = static_cast<UrlId>((slot & ~kTagMask) - 1);
    return true;
}

UrlId UrlStore::Intern(std::string_view url, std::uint64_t hash) {
    std::size_t i = Probe(url, hash);
    if (slots_[i] != 0) {
        return static_cast<UrlId>((slots_[i] & ~kTagMask) - 1);
    }
    if (size_ >= kMaxUrls) {
        throw std::length_error("too many distinct URLs");
    }
    if ((size_ + 1) * 2 > slots_.size()) {
        Grow();
        i = Probe(url, hash);
    }
    const UrlId id = Store(url);
    slots_[i] = (hash & kTagMask) | (std::uint64_t{id} + 1);
    ++size_;
    return id;
}

UrlId UrlStore::Store(std::string_view url) {
    if (url.size() > std::numeric_limits<std::uint32_t>::max()) {
        throw std::length_error("URL too long");
    }
    const std::size_t bytes = RoundUp(sizeof(Record) + url.size());
    if (blocks_.empty() || bytes > blocks_.back().size - blockUsed_) {
        if (blocks_.size() >= kMaxBlocks) {
            throw std::length_error("URL store full");
        }
        // A record too large for a shared block gets one of its own.
        const std::size_t size = bytes > kBlockBytes ? bytes : kBlockBytes;
        blocks_.push_back({std::make_unique<std::byte[]>(size), size});
        blockBytes_ += size;
        blockUsed_ = 0;
    }
    std::byte* place = blocks_.back().bytes.get() + blockUsed_;
    auto* record = new (place) Record{static_cast<std::uint32_t>(url.size()), 0, 0};
    if (!url.empty()) {
        std::memcpy(record + 1, url.data(), url.size());
    }
    const auto id = static_cast<UrlId>(((blocks_.size() - 1) << kOffsetBits) | (blockUsed_ / kAlign));
    blockUsed_ += bytes;
    return id;
}

void UrlStore::Grow() {
    std::vector<std::uint64_t> old(slots_.size() * 2, 0);
    old.swap(slots_);
    const std::size_t mask = slots_.size() - 1;
    for (const std::uint64_t slot : old) {
        if (slot == 0) {
            continue;
        }
        std::size_t i = (slot >> 32) & mask;
        while (slots_[i] != 0) {
            i = (i + 1) & mask;
        }
        slots_[i] = slot;
    }
}

void UrlStore::Clear() {
    blocks_.clear();
    blockBytes_ = 0;
    blockUsed_ = 0;
    size_ = 0;
    slots_.assign(kInitialSlots, 0);
    slots_.shrink_to_fit();
}

std::size_t UrlStore::MemoryBytes() const {
    return slots_.capacity() * sizeof(std::uint64_t) + blocks_.capacity() * sizeof(Block) + blockBytes_;
}

} // namespace vortaxel::crawl
