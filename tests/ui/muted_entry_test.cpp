#include "ui/muted_entry_delegate.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

#include <QApplication>
#include <QHelpEvent>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <QTextDocument>
#include <QToolTip>

namespace vortaxel::ui::test {
namespace {

struct ColourPair {
    const char* name;
    QColor text;
    QColor background;
};

TEST(ContrastRatio, MatchesTheGuidelinesFigures) {
    EXPECT_NEAR(ContrastRatio(Qt::black, Qt::white), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(Qt::white, Qt::white), 1.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(QColor("#767676"), Qt::white), 4.54, 0.01);
    EXPECT_DOUBLE_EQ(ContrastRatio(QColor("#308cc6"), Qt::white), ContrastRatio(Qt::white, QColor("#308cc6")));
}

// Selection colours of common desktop themes, light and dark.
TEST(MutedOn, StaysReadableOnTheHighlightAndDiffersWhereThereIsRoom) {
    const std::vector<ColourPair> pairs = {
        {"navy", Qt::white, QColor("#000080")},    {"windows", Qt::white, QColor("#0078d7")},
        {"adwaita", Qt::white, QColor("#3584e4")}, {"fusion", Qt::white, QColor("#308cc6")},
        {"light", Qt::black, QColor("#add8e6")},   {"dark", QColor("#eeeeee"), QColor("#2a2a2a")},
        {"yellow", Qt::black, QColor("#ffff00")},
    };
    for (const ColourPair& pair : pairs) {
        SCOPED_TRACE(pair.name);
        const QColor muted = MutedOn(pair.text, pair.background);
        const double plain = ContrastRatio(pair.text, pair.background);
        if (plain < kLeastTextContrast) {
            EXPECT_GE(ContrastRatio(muted, pair.background), std::min(kLeastTextContrast, plain))
                << "never less readable than the theme's own";
            EXPECT_NE(muted, pair.text);
            continue;
        }
        EXPECT_GE(ContrastRatio(muted, pair.background), kLeastTextContrast);
        if (plain > kLeastTextContrast + 1.0) {
            EXPECT_NE(muted, pair.text);
            EXPECT_LT(ContrastRatio(muted, pair.background), plain);
        }
    }
}

TEST(MutedEntryDelegate, TooltipsShowAddressesAsThePlainTextTheyAre) {
    const QString address = "http://shop.test/<b>bold</b>&amp;.html";
    const QString failed = address + "\nHTTP status 404";
    QStandardItemModel model(2, 1);
    model.setData(model.index(0, 0), address, Qt::DisplayRole);
    model.setData(model.index(0, 0), address, Qt::ToolTipRole);
    model.setData(model.index(1, 0), failed, Qt::ToolTipRole);
    QTableView view;
    view.setModel(&model);
    view.setItemDelegate(new MutedEntryDelegate(&view));
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    for (int row = 0; row < 2; ++row) {
        SCOPED_TRACE(row);
        const QPoint at = view.visualRect(model.index(row, 0)).center();
        QHelpEvent help(QEvent::ToolTip, at, view.viewport()->mapToGlobal(at));
        QApplication::sendEvent(view.viewport(), &help);
        QTextDocument shown;
        shown.setHtml(QToolTip::text());
        EXPECT_EQ(shown.toPlainText(), row == 0 ? address : failed);
        QToolTip::hideText();
    }
}

} // namespace
} // namespace vortaxel::ui::test
