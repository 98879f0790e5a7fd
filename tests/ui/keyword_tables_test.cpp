// The keyword map and the keyword gap as the windows show them: sorted by a column (numbers as numbers),
// filtered on any cell, a phrase's pages, and the gap's statuses and CSV.

#include "fake_desktop.h"
#include "ui/keyword_gap_window.h"
#include "ui/keyword_tab.h"
#include "ui/phrase_table_model.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace vortaxel::ui::test {
namespace {

using keyphrase::SitePhrase;

SitePhrase Phrase(std::string phrase, double score, std::uint32_t pages, std::string best,
                  std::vector<std::string> competing = {}) {
    SitePhrase row;
    row.key = phrase;
    row.phrase = std::move(phrase);
    row.score = score;
    row.pages = pages;
    row.bestPage = std::move(best);
    row.competingPages = std::move(competing);
    row.lang = "en";
    return row;
}

/// A map as the site gives it, ranked; the scores and counts cross a digit boundary, where a sort of
/// their text would go wrong.
std::vector<SitePhrase> SiteMap() {
    return {
        Phrase("network", 10.25, 3, "http://site.test/net.html", {"http://site.test/lan.html"}),
        Phrase("apt-get", 9.5, 12, "http://site.test/apt.html"),
        Phrase("Café menu", 2, 1, "http://site.test/cafe.html"),
    };
}

std::vector<std::string> Column(const QAbstractItemModel& model, int column) {
    std::vector<std::string> cells;
    for (int row = 0; row < model.rowCount(); ++row) {
        cells.push_back(model.index(row, column).data().toString().toStdString());
    }
    return cells;
}

TEST(PhraseTableModelTest, SortsByAColumnNumbersAsNumbersAndFiltersOnAnyCell) {
    const struct {
        const char* name;
        int column;
        Qt::SortOrder order;
        const char* filter;
        std::vector<std::string> phrases;
    } rows[] = {
        {"the map's own order", -1, Qt::AscendingOrder, "", {"network", "apt-get", "Café menu"}},
        {"score, lowest first", 1, Qt::AscendingOrder, "", {"Café menu", "apt-get", "network"}},
        {"pages, most first", 2, Qt::DescendingOrder, "", {"apt-get", "network", "Café menu"}},
        {"phrase, byte order", 0, Qt::AscendingOrder, "", {"Café menu", "apt-get", "network"}},
        {"filter, either case, beyond ASCII", -1, Qt::AscendingOrder, "CAFÉ", {"Café menu"}},
        {"filter on a best page", -1, Qt::AscendingOrder, "apt.html", {"apt-get"}},
        {"filter on a competing page", -1, Qt::AscendingOrder, "lan.html", {"network"}},
        {"filter and sort together", 1, Qt::AscendingOrder, "site.test", {"Café menu", "apt-get", "network"}},
        {"filter matching nothing", -1, Qt::AscendingOrder, "nothing", {}},
    };
    const std::vector<SitePhrase> map = SiteMap();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::unique_ptr<PhraseTableModel> model = KeywordMapModel(map);
        ASSERT_EQ(model->columnCount(), 9);
        int counted = -1;
        QObject::connect(model.get(), &PhraseTableModel::CountChanged, [&counted](int rows) { counted = rows; });
        model->SetFilter(QString::fromUtf8(row.filter));
        model->sort(row.column, row.order);
        EXPECT_EQ(Column(*model, 0), row.phrases);
        EXPECT_EQ(counted, static_cast<int>(row.phrases.size()));
        // Each row shown still leads to the phrase it shows.
        for (int shown = 0; shown < model->rowCount(); ++shown) {
            ASSERT_TRUE(model->Source(shown).has_value());
            EXPECT_EQ(map[*model->Source(shown)].phrase, row.phrases[static_cast<std::size_t>(shown)]);
        }
        EXPECT_FALSE(model->Source(model->rowCount()).has_value());
    }
}

TEST(PhraseTableModelTest, CellsAndCsvCarryTheMapsColumns) {
    const std::vector<SitePhrase> map = SiteMap();
    const std::unique_ptr<PhraseTableModel> model = KeywordMapModel(map);
    std::vector<std::string> titles;
    for (int c = 0; c < model->columnCount(); ++c) {
        titles.push_back(model->headerData(c, Qt::Horizontal).toString().toStdString());
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"Phrase", "Score", "Pages", "In titles", "In H1", "In anchors",
                                                "Best page", "Competing pages", "Lang"}));
    EXPECT_EQ(Column(*model, 1), (std::vector<std::string>{"10.25", "9.5", "2"}));
    model->SetFilter("network");
    EXPECT_EQ(model->Csv(), "Phrase,Score,Pages,In titles,In H1,In anchors,Best page,Competing pages,Lang\r\n"
                            "network,10.25,3,0,0,0,http://site.test/net.html,http://site.test/lan.html,en\r\n");
}

TEST(KeywordTabTest, ChoosingAPhraseShowsTheBestPageThenTheCompetingOnes) {
    KeywordTab tab;
    tab.ShowMap(SiteMap());
    tab.show();
    auto* map = tab.findChild<QTableView*>("tblKeywords");
    auto* pages = tab.findChild<QTableView*>("tblPhrasePages");
    auto* filter = tab.findChild<QLineEdit*>("txtFilterKeywords");
    auto* count = tab.findChild<QLabel*>("lblCountKeywords");
    ASSERT_TRUE(map != nullptr && pages != nullptr && filter != nullptr && count != nullptr);
    EXPECT_EQ(count->text(), "3 rows");
    EXPECT_EQ(pages->model()->rowCount(), 0) << "no phrase chosen yet";

    map->setCurrentIndex(map->model()->index(0, 0));
    EXPECT_EQ(Column(*pages->model(), 0),
              (std::vector<std::string>{"http://site.test/net.html", "http://site.test/lan.html"}));
    EXPECT_EQ(Column(*pages->model(), 1), (std::vector<std::string>{"best page", "competing: targets it too"}));

    // Sorted by score, lowest first, by a click on its header: the first row is another phrase.
    map->sortByColumn(1, Qt::AscendingOrder);
    EXPECT_EQ(pages->model()->rowCount(), 0) << "the phrase chosen before is no longer chosen";
    map->setCurrentIndex(map->model()->index(0, 0));
    EXPECT_EQ(Column(*pages->model(), 0), (std::vector<std::string>{"http://site.test/cafe.html"}));

    QTest::keyClicks(filter, "apt");
    EXPECT_EQ(count->text(), "1 row");
    EXPECT_EQ(Column(*map->model(), 0), (std::vector<std::string>{"apt-get"}));

    KeywordTab empty;
    empty.ShowMap({});
    EXPECT_TRUE(empty.findChild<QLabel*>("lblKeywordNote")->text().contains("no key phrases"));
}

TEST(KeywordGapWindowTest, ShowsEveryStatusWhatIsMissingFirstAndExportsTheRowsShown) {
    const std::vector<SitePhrase> theirs = {Phrase("espresso", 8, 2, "http://them.test/espresso.html"),
                                            Phrase("latte", 5, 1, "http://them.test/latte.html")};
    const std::vector<SitePhrase> mine = {Phrase("latte", 4, 1, "http://me.test/latte.html"),
                                          Phrase("tea", 3, 1, "http://me.test/tea.html")};
    FakeDesktop desktop;
    KeywordGapWindow window(keyphrase::KeywordGap(theirs, mine), "http://them.test/", "http://me.test/", desktop);
    window.show();
    auto* table = window.findChild<QTableView*>("tblGap");
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(Column(*table->model(), 0), (std::vector<std::string>{"espresso", "latte", "tea"}));
    EXPECT_EQ(Column(*table->model(), 3), (std::vector<std::string>{"gap", "shared", "only mine"}));
    EXPECT_EQ(Column(*table->model(), 4),
              (std::vector<std::string>{"http://them.test/espresso.html", "http://them.test/latte.html", ""}));
    EXPECT_EQ(Column(*table->model(), 5),
              (std::vector<std::string>{"", "http://me.test/latte.html", "http://me.test/tea.html"}));
    EXPECT_TRUE(window.windowTitle().contains("http://them.test/"));

    window.findChild<QLineEdit*>("txtFilterGap")->setText("mine");
    desktop.saveAnswer = "/fake/gap.csv";
    QTest::mouseClick(window.findChild<QPushButton*>("cmdExportGapCsv"), Qt::LeftButton);
    EXPECT_EQ(desktop.files["/fake/gap.csv"], "Phrase,Theirs,Mine,Status,Their best page,My best page\r\n"
                                              "tea,0,3,only mine,,http://me.test/tea.html\r\n");
    EXPECT_EQ(window.findChild<QLabel*>("lblGapStatus")->text(), "Exported 1 row to /fake/gap.csv");

    // A cancelled dialog writes nothing.
    desktop.saveAnswer.clear();
    desktop.files.clear();
    QTest::mouseClick(window.findChild<QPushButton*>("cmdExportGapCsv"), Qt::LeftButton);
    EXPECT_TRUE(desktop.files.empty());
}

} // namespace
} // namespace vortaxel::ui::test
