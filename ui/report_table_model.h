#pragma once

#include "store/read/crawl_report.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <QAbstractTableModel>
#include <QString>

namespace vortaxel::ui {

/// One report table as a view shows it. Only the windows of rows the view asks for are read from the
/// file, and only a few are kept; the view is given rows as it scrolls down to them (a view spends some
/// bytes on every row it knows), so a crawl of any size costs the same. Sorting and filtering are the
/// database's.
class ReportTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    /// Rows read at once, and windows kept.
    static constexpr int kWindowRows = 256;
    static constexpr std::size_t kWindowsKept = 8;
    /// Rows a view is given at first, and each time it scrolls to the last of them.
    static constexpr int kShownStep = 2048;

    /// Empty until the first `Reload`, so that the table can be narrowed before it is read.
    ReportTableModel(store::SqlDatabase& db, store::ReportKind kind, QObject* parent = nullptr);

    store::ReportTable& Table() { return table_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    /// Gives the view every row the table holds, for a move to the last of them.
    void FetchAll();
    /// While held, the file is not read: rows not read yet show blank, and a reload waits. For the time
    /// another thread holds the file's connection in one long step, which a read would wait for.
    /// Released, the rows are read again.
    void HoldReads(bool held);
    /// Shows only the rows holding `text`.
    void SetFilter(const QString& text);
    /// Reads the table again from the start, as after a change of what it shows.
    void Reload();
    /// Takes in what the crawl added since the last look: new rows are added to the view and the rows it
    /// has are read again, so the view keeps its selection and scroll position. Cheap when nothing changed.
    void Refresh();
    /// The record behind the row (a fetch's or a link's id); nullopt for a row that could not be read.
    std::optional<std::int64_t> Key(int row) const;
    /// The row's cells as the table holds them, bytes as the site sent them.
    const std::vector<std::string>* Cells(int row) const;
    /// Why the last read failed; empty when it worked.
    const QString& Error() const { return error_; }

signals:
    /// The number of rows the table holds changed (the view may have fewer so far).
    void CountChanged(int rows);

private:
    const store::ReportRow* Row(int row) const;
    std::int64_t ReadCount();

    mutable store::ReportTable table_;
    /// Rows the table holds, and rows the view has been given.
    int count_ = 0;
    int shown_ = 0;
    bool loaded_ = false;
    bool held_ = false;
    bool reloadWanted_ = false;
    std::int64_t stamp_ = -1;
    mutable std::map<int, std::vector<store::ReportRow>> windows_;
    mutable QString error_;
};

/// A cell's bytes as text: UTF-8 as it is, anything else shown with replacement characters.
QString CellText(const std::string& bytes);

} // namespace vortaxel::ui
