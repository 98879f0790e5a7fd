#pragma once

#include "export/keyphrase/site_map.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <QAbstractTableModel>
#include <QString>

namespace vortaxel::ui {

/// A table held whole in memory, such as a site's keyword map or the gap between two maps, which are
/// worked out at once and bounded by the pages' key phrases. Sorting and filtering are its own, and
/// behave as the crawl tables' do: a click on a column sorts by it, numbers as numbers; the filter
/// keeps the rows holding its text in any cell, letters of either case.
class PhraseTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Column {
        std::string title;
        bool numeric = false;
    };
    using Row = std::vector<std::string>;

    PhraseTableModel(std::vector<Column> columns, std::vector<Row> rows, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    /// Shows only the rows holding `text`.
    void SetFilter(const QString& text);
    /// The row shown at `row` as it was given, by its place among the rows given; nothing past the end.
    std::optional<std::size_t> Source(int row) const;
    const Row* Cells(int row) const;
    /// The rows shown, in the order shown, with a title line: CR LF lines, fields quoted as CSV needs.
    std::string Csv() const;

signals:
    /// The number of rows shown changed.
    void CountChanged(int rows);

private:
    void Arrange();

    std::vector<Column> columns_;
    std::vector<Row> rows_;
    /// Places in `rows_` shown, in order.
    std::vector<std::size_t> shown_;
    QString filter_;
    int sortColumn_ = -1;
    Qt::SortOrder order_ = Qt::AscendingOrder;
};

/// The keyword map's columns: phrase, score, pages, in titles, in H1, in anchors, best page, competing
/// pages, lang; one row a phrase, in the map's order.
std::unique_ptr<PhraseTableModel> KeywordMapModel(std::span<const keyphrase::SitePhrase> phrases);
/// The gap's columns: phrase, theirs, mine, status, their best page, my best page.
std::unique_ptr<PhraseTableModel> KeywordGapModel(std::span<const keyphrase::GapRow> rows);

} // namespace vortaxel::ui
