#include "text/text_print.h"

namespace vortaxel::text {

namespace {

bool IsWordByte(unsigned char c) {
    return c >= 0x80 || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

void PutLittle(std::string& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
    }
}

std::uint64_t GetLittle(std::string_view in, std::size_t at, int bytes) {
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) {
        value |= std::uint64_t{static_cast<unsigned char>(in[at + static_cast<std::size_t>(i)])} << (8 * i);
    }
    return value;
}

bool Visible(Zone zone) {
    return zone != Zone::Title && zone != Zone::Description && zone != Zone::Anchor && zone != Zone::Slug;
}

} // namespace

std::uint64_t StableHash(std::string_view bytes, std::uint64_t seed) {
    std::uint64_t hash = seed;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

TextPrint PrintText(std::span<const TextBlock> blocks) {
    TextPrint print;
    std::uint64_t whole = 0xcbf29ce484222325ULL;
    bool any = false;
    std::vector<std::uint32_t> words;
    std::string word;
    for (const TextBlock& block : blocks) {
        if (!Visible(block.zone)) {
            continue;
        }
        // Blocks are joined by a blank, as a reader sees them one after the other.
        whole = StableHash(any ? std::string_view(" ") : std::string_view(), whole);
        whole = StableHash(block.text, whole);
        any = true;
        words.clear();
        for (std::size_t i = 0; i <= block.text.size(); ++i) {
            const auto c = i < block.text.size() ? static_cast<unsigned char>(block.text[i]) : 0;
            if (i < block.text.size() && IsWordByte(c)) {
                word.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c));
            } else if (!word.empty()) {
                words.push_back(static_cast<std::uint32_t>(StableHash(word) >> 32));
                word.clear();
            }
        }
        if (words.empty()) {
            continue;
        }
        PutLittle(print.blocks, StableHash(block.text), 8);
        PutLittle(print.blocks, words.size(), 4);
        for (const std::uint32_t w : words) {
            PutLittle(print.blocks, w, 4);
        }
    }
    print.textHash = any ? whole : 0;
    return print;
}

bool DecodePrint(std::string_view blocks, std::vector<PrintedBlock>& out) {
    out.clear();
    std::size_t at = 0;
    while (at < blocks.size()) {
        if (blocks.size() - at < 12) {
            return false;
        }
        PrintedBlock block;
        block.hash = GetLittle(blocks, at, 8);
        const std::uint64_t count = GetLittle(blocks, at + 8, 4);
        at += 12;
        if (count > (blocks.size() - at) / 4) {
            return false;
        }
        block.words.resize(count);
        for (std::uint64_t i = 0; i < count; ++i, at += 4) {
            block.words[i] = static_cast<std::uint32_t>(GetLittle(blocks, at, 4));
        }
        out.push_back(std::move(block));
    }
    return true;
}

} // namespace vortaxel::text
