#include "keyword_tab.h"

#include "phrase_table_model.h"
#include "phrase_table_pane.h"
#include "shown_text.h"

#include <QItemSelectionModel>
#include <QLabel>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace vortaxel::ui {

namespace {

std::unique_ptr<PhraseTableModel> PagesModel(const keyphrase::SitePhrase* phrase) {
    std::vector<PhraseTableModel::Row> rows;
    if (phrase != nullptr) {
        if (!phrase->bestPage.empty()) {
            rows.push_back({phrase->bestPage, "best page"});
        }
        for (const std::string& page : phrase->competingPages) {
            rows.push_back({page, "competing: targets it too"});
        }
    }
    return std::make_unique<PhraseTableModel>(std::vector<PhraseTableModel::Column>{{"Page", false}, {"Role", false}},
                                              std::move(rows));
}

} // namespace

KeywordTab::KeywordTab(QWidget* parent) : QWidget(parent) {
    setObjectName("tabKeywords");
    note_ = new QLabel(this);
    note_->setObjectName("lblKeywordNote");
    note_->setAccessibleName("Keywords note");
    note_->setWordWrap(true);
    note_->setTextFormat(Qt::PlainText);
    note_->hide();
    map_ = new PhraseTablePane("Keywords", this);
    pages_ = new PhraseTablePane("PhrasePages", this);
    pages_->Table().setAccessibleName("Pages of the phrase");
    pages_->Show(PagesModel(nullptr));
    auto* split = new QSplitter(Qt::Vertical, this);
    split->setObjectName("splitKeywords");
    split->addWidget(map_);
    split->addWidget(pages_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note_);
    layout->addWidget(split, 1);
}

void KeywordTab::ShowNote(const QString& text) {
    ShowLabelText(*note_, text);
    note_->setVisible(!text.isEmpty());
}

void KeywordTab::ShowMap(std::vector<keyphrase::SitePhrase> phrases,
                         std::unordered_map<std::string, std::vector<keyphrase::KeyPhrase>> pages) {
    phrases_ = std::move(phrases);
    pagePhrases_ = std::move(pages);
    map_->Show(KeywordMapModel(phrases_));
    connect(map_->Table().selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& index) { ShowPagesOf(index.row()); });
    // A new filter or order leaves no row chosen: the pages of a phrase no longer in sight would mislead.
    connect(map_->Model(), &QAbstractItemModel::modelReset, this,
            [this] { ShowPagesOf(map_->Table().currentIndex().row()); });
    ShowPagesOf(-1);
    ShowNote(phrases_.empty() ? QString("The crawl's pages have no key phrases.") : QString());
}

void KeywordTab::ShowPagesOf(int row) {
    const std::optional<std::size_t> source = map_->Model() != nullptr ? map_->Model()->Source(row) : std::nullopt;
    pages_->Show(PagesModel(source ? &phrases_[*source] : nullptr));
}

const std::vector<keyphrase::KeyPhrase>* KeywordTab::PhrasesOf(const std::string& url) const {
    const auto found = pagePhrases_.find(url);
    return found == pagePhrases_.end() ? nullptr : &found->second;
}

std::vector<std::string> KeywordTab::BestPageFor(const std::string& url) const {
    std::vector<std::string> phrases;
    for (const keyphrase::SitePhrase& phrase : phrases_) {
        if (phrase.bestPage == url) {
            phrases.push_back(phrase.phrase);
        }
    }
    return phrases;
}

QTableView& KeywordTab::Table() const {
    return map_->Table();
}

QTableView& KeywordTab::PagesTable() const {
    return pages_->Table();
}

} // namespace vortaxel::ui
