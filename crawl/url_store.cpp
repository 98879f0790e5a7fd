#include "url_store.h"

#include <cstring>
#include <stdexcept>

namespace vortaxel::crawl {

namespace {

constexpr std::size_t kInitialSlots = 1024;
constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
constexpr std::uint64_t kTagMask = 0xffffffff00000000ULL;
// The home slot is taken from 32 hash bits, so the table stays below 2^32 slots.
constexpr std::size_t kMaxUrls = std::size_t{1} << 31;

std::uint64_t Load64(const char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

std::uint64_t Mix(std::uint64_t h) {
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    h ^= h >> 33;
    return h;
}

} // namespace

UrlStore::UrlStore() : slots_(kInitialSlots, 0) {}

std::uint64_t UrlStore::Hash(std::string_view url) {
    constexpr std::uint64_t kMul = 0x9e3779b97f4a7c15ULL;
    std::uint64_t h = url.size() * kMul;
    const char* p = url.data();
    std::size_t n = url.size();
    for (; n >= 8; p += 8, n -= 8) {
        h = (h ^ Mix(Load64(p))) * kMul;
    }
    std::uint64_t tail = 0;
    if (n > 0) {
        std::memcpy(&tail, p, n);
    }
    return Mix(h ^ Mix(tail + n));
}

std::size_t UrlStore::Probe(std::string_view url, std::uint64_t hash) const {
    const std::uint64_t tag = hash & kTagMask;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = (hash >> 32) & mask;; i = (i + 1) & mask) {
        const std::uint64_t slot = slots_[i];
        if (slot == 0 || ((slot & kTagMask) == tag && texts_[(slot & ~kTagMask) - 1] == url)) {
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

UrlId UrlStore::Intern(std::string_view url) {
    const std::uint64_t hash = Hash(url);
    std::size_t i = Probe(url, hash);
    if (slots_[i] != 0) {
        return static_cast<UrlId>((slots_[i] & ~kTagMask) - 1);
    }
    if (texts_.size() >= kMaxUrls) {
        throw std::length_error("too many distinct URLs");
    }
    if ((texts_.size() + 1) * 2 > slots_.size()) {
        Grow();
        i = Probe(url, hash);
    }
    const auto id = static_cast<UrlId>(texts_.size());
    texts_.push_back(Store(url));
    slots_[i] = (hash & kTagMask) | (std::uint64_t{id} + 1);
    return id;
}

std::string_view UrlStore::Store(std::string_view url) {
    if (url.size() > freeLeft_) {
        const std::size_t size = url.size() > kBlockBytes / 4 ? url.size() : kBlockBytes;
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
        blockSizes_.push_back(size);
        if (size != kBlockBytes) {
            // An oversized text gets a block of its own; the open block stays open.
            std::memcpy(blocks_.back().get(), url.data(), url.size());
            return {blocks_.back().get(), url.size()};
        }
        free_ = blocks_.back().get();
        freeLeft_ = size;
    }
    if (!url.empty()) {
        std::memcpy(free_, url.data(), url.size());
    }
    const std::string_view stored(free_, url.size());
    free_ += url.size();
    freeLeft_ -= url.size();
    return stored;
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
    texts_.clear();
    blocks_.clear();
    blockSizes_.clear();
    free_ = nullptr;
    freeLeft_ = 0;
    slots_.assign(kInitialSlots, 0);
    slots_.shrink_to_fit();
}

std::size_t UrlStore::MemoryBytes() const {
    std::size_t bytes = slots_.capacity() * sizeof(std::uint64_t) + texts_.capacity() * sizeof(std::string_view);
    for (const std::size_t size : blockSizes_) {
        bytes += size;
    }
    return bytes;
}

} // namespace vortaxel::crawl
