#pragma once

#include "crawl/found_list.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include <QAbstractTableModel>
#include <QItemSelectionModel>

namespace vortaxel::ui {

/// Shows the engine's found list as a one-column table and keeps a view's selection and the list's
/// selected flags the same, both ways. Each change costs in proportion to the entries it touches, never
/// to the length of the list, so a long crawl keeps a steady pace.
class FoundListModel : public QAbstractTableModel, private crawl::FoundListObserver {
    Q_OBJECT
public:
    explicit FoundListModel(crawl::FoundList& list, QObject* parent = nullptr);
    ~FoundListModel() override;

    FoundListModel(const FoundListModel&) = delete;
    FoundListModel& operator=(const FoundListModel&) = delete;

    /// The selection to give the view: it mirrors the selected flags.
    QItemSelectionModel* SelectionModel() { return &selection_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    /// Entry `index`, listed already, could not be fetched: it is drawn muted and `reason` becomes
    /// its tooltip and accessible description. Forgotten when the list is cleared.
    void MarkFailed(std::size_t index, const std::string& reason);

private:
    void FoundListCleared() override;
    void FoundListAppended(std::size_t index) override;
    void FoundSelectionChanged(std::size_t first, std::size_t last) override;

    int Rows() const { return static_cast<int>(shown_.size()); }
    void ShowFlags(std::size_t first, std::size_t last);
    void TakeViewSelection(const QItemSelection& selected, const QItemSelection& deselected);

    crawl::FoundList& list_;
    QItemSelectionModel selection_;
    // The flags as last shown, one per row the view knows of, so each change is applied once.
    std::vector<std::uint8_t> shown_;
    // Few entries fail on a working site, so only those carry a reason.
    std::unordered_map<std::size_t, QString> failures_;
    bool syncing_ = false;
};

} // namespace vortaxel::ui
