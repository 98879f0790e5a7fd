#include "audit_page_parts.h"

#include "page_text.h"

#include <array>
#include <charconv>
#include <cmath>

namespace vortaxel::audit {

DataWriter::DataWriter(std::string& out, const AuditData& data) : out_(out) {
    rows_.reserve(data.pages.size());
    for (std::size_t i = 0; i < data.pages.size(); ++i) {
        rows_.emplace(data.pages[i].url, i);
    }
}

void DataWriter::Address(std::string_view url) {
    const auto row = rows_.find(url);
    if (row == rows_.end()) {
        AppendJsonString(out_, url);
    } else {
        Number(row->second);
    }
}

void DataWriter::OwnAddress(std::string_view url, std::string_view own) {
    if (url == own && !url.empty()) {
        out_ += '0';
    } else {
        AppendJsonString(out_, url);
    }
}

void DataWriter::Word(std::string_view word) {
    const auto [at, added] = words_.emplace(word, words_.size());
    if (added) {
        wordList_.emplace_back(word);
    }
    Number(at->second);
}

void DataWriter::Words() {
    out_ += ",\"words\":[";
    for (std::size_t i = 0; i < wordList_.size(); ++i) {
        out_ += i == 0 ? "" : ",";
        AppendJsonString(out_, wordList_[i]);
    }
    out_ += ']';
}

void DataWriter::Text(std::string_view text) {
    AppendJsonString(out_, text);
}

void DataWriter::Number(std::uint64_t value) {
    out_ += std::to_string(value);
}

std::string ScoreText(double score) {
    if (!std::isfinite(score)) {
        return "0";
    }
    std::array<char, 32> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), score, std::chars_format::general, 4);
    return {buffer.data(), result.ptr};
}

void Card(std::string& out, std::string_view id, std::uint64_t value, std::string_view label, bool bad) {
    out += "<div class=\"card";
    out += bad && value > 0 ? " bad" : "";
    out += "\" id=\"";
    out += id;
    out += "\"><span class=\"num\">" + std::to_string(value) + "</span><span class=\"label\">";
    out += label;
    out += "</span></div>";
}

} // namespace vortaxel::audit
