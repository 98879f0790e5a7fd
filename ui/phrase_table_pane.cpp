#include "phrase_table_pane.h"

#include "phrase_table_model.h"
#include "shown_text.h"

#include <algorithm>

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace vortaxel::ui {

namespace {

/// Widest a column is made to fit its content; the user may widen it further.
constexpr int kWidestFittedColumn = 480;

} // namespace

PhraseTablePane::PhraseTablePane(const QString& name, QWidget* parent) : QWidget(parent), name_(name) {
    setObjectName("pane" + name);
    filter_ = new QLineEdit(this);
    filter_->setObjectName("txtFilter" + name);
    filter_->setAccessibleName(name + " filter");
    filter_->setPlaceholderText("Filter " + name.toLower());
    filter_->setClearButtonEnabled(true);
    for (QToolButton* clear : filter_->findChildren<QToolButton*>()) {
        clear->setAccessibleName("Clear " + name.toLower() + " filter");
    }
    count_ = new QLabel(this);
    count_->setObjectName("lblCount" + name);
    count_->setAccessibleName(name + " count");
    connect(filter_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (model_) {
            model_->SetFilter(text);
        }
    });

    view_ = new QTableView(this);
    view_->setObjectName("tbl" + name);
    view_->setAccessibleName(name);
    view_->setSortingEnabled(true);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_->setWordWrap(false);
    view_->setTextElideMode(Qt::ElideMiddle);
    view_->setTabKeyNavigation(false);
    view_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    view_->horizontalHeader()->setDefaultSectionSize(160);
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    for (QAbstractButton* corner : view_->findChildren<QAbstractButton*>()) {
        corner->setAccessibleName("Select all rows");
    }

    auto* bar = new QHBoxLayout;
    bar->addWidget(filter_, 1);
    bar->addWidget(count_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(bar);
    layout->addWidget(view_, 1);
}

PhraseTablePane::~PhraseTablePane() {
    // The view refers to the model, which goes before the view would otherwise.
    view_->setModel(nullptr);
}

void PhraseTablePane::Show(std::unique_ptr<PhraseTableModel> model) {
    const auto showCount = [this](int rows) { ShowLabelText(*count_, Counted(rows, "row", "rows")); };
    connect(model.get(), &PhraseTableModel::CountChanged, count_, showCount);
    model->SetFilter(filter_->text());
    // The view takes the new model before the old one goes; the model's own order until a column is chosen.
    view_->setModel(model.get());
    view_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    model_ = std::move(model);
    showCount(model_->rowCount());
    QHeaderView& header = *view_->horizontalHeader();
    const QAbstractItemView& cells = *view_;
    for (int column = 0; column < header.count(); ++column) {
        const int content = std::min(cells.sizeHintForColumn(column), kWidestFittedColumn);
        header.resizeSection(column, std::max(content, header.sectionSizeHint(column)));
    }
}

} // namespace vortaxel::ui
