#include "keyword_gap_window.h"

#include "phrase_table_model.h"
#include "phrase_table_pane.h"
#include "shown_text.h"

#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>

namespace vortaxel::ui {

KeywordGapWindow::KeywordGapWindow(std::vector<keyphrase::GapRow> rows, const std::string& theirSite,
                                   const std::string& mySite, services::PlatformServices services, QWidget* parent)
    : QWidget(parent, Qt::Window), services_(services) {
    setObjectName("frmKeywordGap");
    setWindowTitle(
        QString("Keyword Gap - %1 against %2").arg(QString::fromStdString(theirSite), QString::fromStdString(mySite)));
    setAccessibleName("Keyword gap");
    // Left open, it does not keep the program running once its main window has closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    auto* note = new QLabel(this);
    note->setObjectName("lblGapNote");
    note->setWordWrap(true);
    note->setTextFormat(Qt::PlainText);
    ShowLabelText(*note, QString("Theirs: %1. Mine: %2. \"gap\": they target the phrase and you do not.")
                             .arg(QString::fromStdString(theirSite), QString::fromStdString(mySite)));
    table_ = new PhraseTablePane("Gap", this);
    table_->Show(KeywordGapModel(rows));

    auto* exportCsv = new QPushButton("&Export CSV...", this);
    exportCsv->setObjectName("cmdExportGapCsv");
    exportCsv->setAccessibleName("Export the gap as CSV");
    connect(exportCsv, &QPushButton::clicked, this, &KeywordGapWindow::ExportCsv);
    status_ = new QLabel(this);
    status_->setObjectName("lblGapStatus");
    status_->setAccessibleName("Gap status");
    status_->setTextFormat(Qt::PlainText);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(status_, 1);
    buttons->addWidget(exportCsv);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(table_, 1);
    layout->addLayout(buttons);
    resize(1000, 600);
}

void KeywordGapWindow::ExportCsv() {
    const std::string path = services_.dialog.AskSavePath({"Export CSV", "CSV files", "*.csv"});
    if (path.empty()) {
        return;
    }
    const PhraseTableModel& model = *table_->Model();
    if (const services::WriteResult result = services_.files.Write(path, model.Csv()); !result) {
        services_.messages.Show(result.error, "Export CSV", services::MessageIcon::Warning);
        return;
    }
    ShowLabelText(*status_,
                  "Exported " + Counted(model.rowCount(), "row", "rows") + " to " + QString::fromStdString(path));
}

} // namespace vortaxel::ui
