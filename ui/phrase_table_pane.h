#pragma once

#include <memory>

#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;
class QTableView;

namespace vortaxel::ui {

class PhraseTableModel;

/// A filter line, a count and a sortable table over a table held in memory, laid out as the report's
/// tabs are: the parts are named "txtFilter<name>", "lblCount<name>" and "tbl<name>".
class PhraseTablePane : public QWidget {
    Q_OBJECT
public:
    PhraseTablePane(const QString& name, QWidget* parent = nullptr);
    ~PhraseTablePane() override;
    PhraseTablePane(const PhraseTablePane&) = delete;
    PhraseTablePane& operator=(const PhraseTablePane&) = delete;

    /// Shows `model` in place of the one before, with the filter as typed and columns fitted to it.
    void Show(std::unique_ptr<PhraseTableModel> model);
    /// Nothing before the first `Show`.
    PhraseTableModel* Model() const { return model_.get(); }
    QTableView& Table() const { return *view_; }

private:
    QString name_;
    QLineEdit* filter_ = nullptr;
    QLabel* count_ = nullptr;
    QTableView* view_ = nullptr;
    std::unique_ptr<PhraseTableModel> model_;
};

} // namespace vortaxel::ui
