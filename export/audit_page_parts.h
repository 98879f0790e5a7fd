#pragma once

#include "audit_data.h"
#include "audit_page.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vortaxel::audit {

// The pieces the audit page's sections share: how its data block is written and handed on.

/// Writes the page's data block. A page of 100,000 rows is mostly addresses and the same few words again
/// and again; the browser spends its time tokenising the data block, so the data names each page's address
/// once and refers to it by its row number, and writes repeated words (content types, indexability) once
/// in a list.
class DataWriter {
public:
    DataWriter(std::string& out, const AuditData& data);

    /// The address as the row number of the page it names, or as text when no page has it.
    void Address(std::string_view url);
    /// A page's final or canonical address, most often the page's own: 0 then stands for it. Row numbers
    /// could not be told apart from that 0, so any other address is written as text.
    void OwnAddress(std::string_view url, std::string_view own);
    /// The word's place in the list Words writes.
    void Word(std::string_view word);
    /// The list of words, as the data block's "words" member; written last, once every word is known.
    void Words();
    void Text(std::string_view text);
    void Number(std::uint64_t value);
    void Raw(std::string_view text) { out_ += text; }

private:
    std::string& out_;
    std::unordered_map<std::string_view, std::size_t> rows_;
    std::unordered_map<std::string, std::size_t> words_;
    std::vector<std::string> wordList_;
};

/// One row of the data block, an array: each Field starts with the comma that parts it from the one before,
/// and the array closes when the row goes.
class DataRow {
public:
    explicit DataRow(DataWriter& w) : w_(w) { w_.Raw("["); }
    ~DataRow() { w_.Raw("]"); }
    DataRow(const DataRow&) = delete;
    DataRow& operator=(const DataRow&) = delete;
    DataRow(DataRow&&) = delete;
    DataRow& operator=(DataRow&&) = delete;

    /// The writer, for the next field's value.
    DataWriter& Field() {
        if (!first_) {
            w_.Raw(",");
        }
        first_ = false;
        return w_;
    }

private:
    DataWriter& w_;
    bool first_ = true;
};

/// Hands what `out` holds on to `sink` once it has grown past a piece's size, so that a large site's page is
/// never held whole.
class PieceOut {
public:
    static constexpr std::size_t kPieceBytes = std::size_t{1} << 20;
    PieceOut(std::string& out, const PageSink* sink) : out_(out), sink_(sink) {}
    void Check() {
        if (sink_ != nullptr && out_.size() >= kPieceBytes) {
            Flush();
        }
    }
    void Flush() {
        if (sink_ != nullptr && !out_.empty()) {
            (*sink_)(out_);
            out_.clear();
        }
    }

private:
    std::string& out_;
    const PageSink* sink_;
};

/// A score as the page writes it, in its data and its charts: four significant digits, a point for the
/// decimal point whatever the locale, and 0 for a value that is no finite number (JSON has none).
std::string ScoreText(double score);

/// One number of the overview; `bad` marks it as a problem when it is not 0. `label` is the page's own words.
void Card(std::string& out, std::string_view id, std::uint64_t value, std::string_view label, bool bad = false);

} // namespace vortaxel::audit
