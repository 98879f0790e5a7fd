#include "phrase_table_model.h"

#include "export/audit_page_parts.h"
#include "export/csv_field.h"
#include "report_table_model.h"

#include <algorithm>
#include <charconv>

namespace vortaxel::ui {

namespace {

double NumberOf(const std::string& cell) {
    double value = 0;
    std::from_chars(cell.data(), cell.data() + cell.size(), value);
    return value;
}

std::string JoinedPages(const std::vector<std::string>& pages) {
    std::string joined;
    for (const std::string& page : pages) {
        joined += (joined.empty() ? "" : " ") + page;
    }
    return joined;
}

} // namespace

PhraseTableModel::PhraseTableModel(std::vector<Column> columns, std::vector<Row> rows, QObject* parent)
    : QAbstractTableModel(parent), columns_(std::move(columns)), rows_(std::move(rows)) {
    Arrange();
}

int PhraseTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

int PhraseTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant PhraseTableModel::data(const QModelIndex& index, int role) const {
    const Row* row = Cells(index.row());
    if (row == nullptr || index.column() < 0 || static_cast<std::size_t>(index.column()) >= row->size()) {
        return {};
    }
    const std::string& cell = (*row)[static_cast<std::size_t>(index.column())];
    switch (role) {
    case Qt::DisplayRole:
        return CellText(cell);
    case Qt::ToolTipRole:
        return "<p style='white-space:pre-wrap'>" + CellText(cell).toHtmlEscaped() + "</p>";
    case Qt::TextAlignmentRole:
        return columns_[static_cast<std::size_t>(index.column())].numeric ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                                          : QVariant();
    default:
        return {};
    }
}

QVariant PhraseTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (orientation == Qt::Vertical) {
        return section + 1;
    }
    return section >= 0 && static_cast<std::size_t>(section) < columns_.size()
               ? CellText(columns_[static_cast<std::size_t>(section)].title)
               : QVariant();
}

void PhraseTableModel::sort(int column, Qt::SortOrder order) {
    sortColumn_ = column;
    order_ = order;
    Arrange();
}

void PhraseTableModel::SetFilter(const QString& text) {
    filter_ = text;
    Arrange();
}

void PhraseTableModel::Arrange() {
    beginResetModel();
    shown_.clear();
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const bool kept = filter_.isEmpty() || std::any_of(rows_[i].begin(), rows_[i].end(), [this](const auto& cell) {
                              return CellText(cell).contains(filter_, Qt::CaseInsensitive);
                          });
        if (kept) {
            shown_.push_back(i);
        }
    }
    if (sortColumn_ >= 0 && static_cast<std::size_t>(sortColumn_) < columns_.size()) {
        const auto c = static_cast<std::size_t>(sortColumn_);
        const bool numeric = columns_[c].numeric;
        // Stable, so rows that tie keep the order they were given in (the map's rank).
        std::stable_sort(shown_.begin(), shown_.end(), [&](std::size_t a, std::size_t b) {
            const std::string& x = rows_[a][c];
            const std::string& y = rows_[b][c];
            const bool before = numeric ? NumberOf(x) < NumberOf(y) : x < y;
            const bool after = numeric ? NumberOf(y) < NumberOf(x) : y < x;
            return order_ == Qt::AscendingOrder ? before : after;
        });
    }
    endResetModel();
    emit CountChanged(static_cast<int>(shown_.size()));
}

std::optional<std::size_t> PhraseTableModel::Source(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= shown_.size()) {
        return std::nullopt;
    }
    return shown_[static_cast<std::size_t>(row)];
}

const PhraseTableModel::Row* PhraseTableModel::Cells(int row) const {
    const std::optional<std::size_t> source = Source(row);
    return source ? &rows_[*source] : nullptr;
}

std::string PhraseTableModel::Csv() const {
    std::string csv;
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        csv += c == 0 ? "" : ",";
        keywords::AppendCsvField(csv, columns_[c].title);
    }
    csv += "\r\n";
    for (const std::size_t i : shown_) {
        for (std::size_t c = 0; c < rows_[i].size(); ++c) {
            csv += c == 0 ? "" : ",";
            keywords::AppendCsvField(csv, rows_[i][c]);
        }
        csv += "\r\n";
    }
    return csv;
}

std::unique_ptr<PhraseTableModel> KeywordMapModel(std::span<const keyphrase::SitePhrase> phrases) {
    std::vector<PhraseTableModel::Column> columns = {
        {"Phrase", false}, {"Score", true},      {"Pages", true},      {"In titles", true},
        {"In H1", true},   {"In anchors", true}, {"Best page", false}, {"Competing pages", false},
        {"Lang", false},
    };
    std::vector<PhraseTableModel::Row> rows;
    rows.reserve(phrases.size());
    for (const keyphrase::SitePhrase& p : phrases) {
        rows.push_back({p.phrase, audit::ScoreText(p.score), std::to_string(p.pages), std::to_string(p.inTitles),
                        std::to_string(p.inH1), std::to_string(p.inAnchors), p.bestPage, JoinedPages(p.competingPages),
                        p.lang});
    }
    return std::make_unique<PhraseTableModel>(std::move(columns), std::move(rows));
}

std::unique_ptr<PhraseTableModel> KeywordGapModel(std::span<const keyphrase::GapRow> gap) {
    std::vector<PhraseTableModel::Column> columns = {
        {"Phrase", false}, {"Theirs", true},           {"Mine", true},
        {"Status", false}, {"Their best page", false}, {"My best page", false},
    };
    std::vector<PhraseTableModel::Row> rows;
    rows.reserve(gap.size());
    for (const keyphrase::GapRow& g : gap) {
        rows.push_back({g.phrase, audit::ScoreText(g.theirsScore), audit::ScoreText(g.mineScore), g.status,
                        g.theirBestPage, g.myBestPage});
    }
    return std::make_unique<PhraseTableModel>(std::move(columns), std::move(rows));
}

} // namespace vortaxel::ui
