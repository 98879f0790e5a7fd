#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vortaxel::crawl {

/// A fixed set of short tag names (8 bytes at most), asked of every tag of a page: a name is one
/// number, looked up in an open-addressed table where most names are found or refused at their
/// first slot, with no string compared.
template <std::size_t N> class TagNameSet {
public:
    static constexpr std::size_t kMaxName = 8;

    consteval explicit TagNameSet(const std::array<std::string_view, N>& names) {
        for (const std::string_view name : names) {
            if (name.empty() || name.size() > kMaxName) {
                throw "a tag name of 1 to 8 bytes";
            }
            std::size_t slot = Slot(Key(name));
            while (slots_[slot].size != 0) {
                slot = (slot + 1) % kSlots;
            }
            slots_[slot] = {Key(name), static_cast<std::uint8_t>(name.size())};
        }
    }

    bool Contains(std::string_view name) const {
        if (name.empty() || name.size() > kMaxName) {
            return false;
        }
        const std::uint64_t key = Key(name);
        for (std::size_t slot = Slot(key);; slot = (slot + 1) % kSlots) {
            const Entry& entry = slots_[slot];
            if (entry.size == 0) {
                return false;
            }
            // The size too: a name holding a NUL byte is not the shorter name it would look like.
            if (entry.key == key && entry.size == name.size()) {
                return true;
            }
        }
    }

private:
    static constexpr std::size_t kSlots = 256;
    static_assert(N <= kSlots / 2, "kept at most half full, so that probes stay short");

    struct Entry {
        std::uint64_t key = 0;
        std::uint8_t size = 0;
    };

    static constexpr std::uint64_t Key(std::string_view name) {
        std::uint64_t key = 0;
        for (std::size_t i = 0; i < name.size(); ++i) {
            key |= std::uint64_t{static_cast<unsigned char>(name[i])} << (8 * i);
        }
        return key;
    }

    static constexpr std::size_t Slot(std::uint64_t key) {
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ULL) >> 56);
    }

    std::array<Entry, kSlots> slots_{};
};

} // namespace vortaxel::crawl
