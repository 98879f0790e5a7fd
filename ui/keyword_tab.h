#pragma once

#include "export/keyphrase/site_map.h"

#include <string>
#include <unordered_map>
#include <vector>

#include <QString>
#include <QWidget>

class QLabel;
class QTableView;

namespace vortaxel::ui {

class PhraseTablePane;

/// The report's "Keywords" tab: the site's keyword map, a phrase a row, and below it the pages of the
/// phrase chosen (the page that targets it most strongly, then the others competing for it).
class KeywordTab : public QWidget {
    Q_OBJECT
public:
    explicit KeywordTab(QWidget* parent = nullptr);

    /// What stands in place of the map while there is none, such as why.
    void ShowNote(const QString& text);
    /// Shows the site's `phrases`, and holds each page's own key phrases (`pages`, by address) for its details.
    void ShowMap(std::vector<keyphrase::SitePhrase> phrases,
                 std::unordered_map<std::string, std::vector<keyphrase::KeyPhrase>> pages = {});
    /// The key phrases of the page at `url`, best first, as the map shown worked them out; nullptr before
    /// there is one, or for a page it does not know.
    const std::vector<keyphrase::KeyPhrase>* PhrasesOf(const std::string& url) const;
    /// The phrases of the map whose best page is `url`, strongest first; none before the map is shown.
    std::vector<std::string> BestPageFor(const std::string& url) const;
    QTableView& Table() const;
    /// The pages of the phrase chosen.
    QTableView& PagesTable() const;

private:
    void ShowPagesOf(int row);

    std::vector<keyphrase::SitePhrase> phrases_;
    std::unordered_map<std::string, std::vector<keyphrase::KeyPhrase>> pagePhrases_;
    QLabel* note_ = nullptr;
    PhraseTablePane* map_ = nullptr;
    PhraseTablePane* pages_ = nullptr;
};

} // namespace vortaxel::ui
