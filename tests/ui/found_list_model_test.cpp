#include "crawl/found_list.h"
#include "ui/found_list_model.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <QAccessible>
#include <QAccessibleInterface>
#include <QSignalSpy>
#include <QTableView>

namespace vortaxel::ui {
namespace {

void Fill(crawl::FoundList& list, int count) {
    for (int i = 0; i < count; ++i) {
        list.Append("http://site.test/page" + std::to_string(i) + ".html");
    }
}

std::vector<int> ViewSelectedRows(QItemSelectionModel& selection, int rows) {
    std::vector<int> selected;
    for (int row = 0; row < rows; ++row) {
        if (selection.isRowSelected(row, {})) {
            selected.push_back(row);
        }
    }
    return selected;
}

std::vector<int> ListSelectedRows(const crawl::FoundList& list) {
    std::vector<int> selected;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        if (list.IsSelected(i)) {
            selected.push_back(static_cast<int>(i));
        }
    }
    return selected;
}

struct SelectionCase {
    const char* name;
    std::function<void(crawl::FoundList&, FoundListModel&)> act;
    std::vector<int> selected;
    int ranges; // how many ranges the view's selection is kept in
};

TEST(FoundListModel, ViewSelectionAndSelectedFlagsStayTheSame) {
    const std::vector<SelectionCase> cases = {
        {"nothing selected", [](auto& list, auto&) { Fill(list, 4); }, {}, 0},
        {"select all", [](auto& list, auto&) { Fill(list, 4), list.SelectAll(); }, {0, 1, 2, 3}, 1},
        {"select all after every append stays one range",
         [](auto& list, auto&) {
             for (int i = 0; i < 500; ++i) {
                 Fill(list, 1);
                 list.SelectAll();
             }
         },
         [] {
             std::vector<int> all(500);
             for (int i = 0; i < 500; ++i) {
                 all[static_cast<std::size_t>(i)] = i;
             }
             return all;
         }(),
         1},
        {"one entry set by the list", [](auto& list, auto&) { Fill(list, 4), list.SetSelected(2, true); }, {2}, 1},
        {"one entry cleared out of all",
         [](auto& list, auto&) { Fill(list, 4), list.SelectAll(), list.SetSelected(1, false); },
         {0, 2, 3},
         2},
        {"the view toggles a row",
         [](auto& list, auto& model) {
             Fill(list, 4);
             model.SelectionModel()->select(model.index(3, 0), QItemSelectionModel::Toggle);
         },
         {3},
         1},
        {"the view toggles a selected row off",
         [](auto& list, auto& model) {
             Fill(list, 4);
             list.SelectAll();
             model.SelectionModel()->select(model.index(0, 0), QItemSelectionModel::Toggle);
         },
         {1, 2, 3},
         1},
        {"the view selects the last row, completing all",
         [](auto& list, auto& model) {
             Fill(list, 3);
             list.SetSelected(0, true);
             list.SetSelected(1, true);
             model.SelectionModel()->select(model.index(2, 0), QItemSelectionModel::Select);
         },
         {0, 1, 2},
         1},
        {"appended entries arrive unselected",
         [](auto& list, auto&) { Fill(list, 2), list.SelectAll(), Fill(list, 2); },
         {0, 1},
         1},
        {"cleared and refilled",
         [](auto& list, auto&) { Fill(list, 3), list.SelectAll(), list.Clear(), Fill(list, 2); },
         {},
         0},
    };
    for (const SelectionCase& c : cases) {
        SCOPED_TRACE(c.name);
        crawl::FoundList list;
        FoundListModel model(list);
        c.act(list, model);
        ASSERT_EQ(model.rowCount(), static_cast<int>(list.Count()));
        EXPECT_EQ(ListSelectedRows(list), c.selected);
        EXPECT_EQ(ViewSelectedRows(*model.SelectionModel(), model.rowCount()), c.selected);
        EXPECT_EQ(model.SelectionModel()->selection().size(), c.ranges);
    }
}

TEST(FoundListModel, EachAppendIsOneInsertedRow) {
    crawl::FoundList list;
    FoundListModel model(list);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    list.Append("http://site.test/");
    list.Append("http://site.test/a b.html");
    ASSERT_EQ(inserted.size(), 2);
    EXPECT_EQ(inserted[1][1].toInt(), 1);
    EXPECT_EQ(inserted[1][2].toInt(), 1);
    EXPECT_EQ(model.data(model.index(1, 0), Qt::DisplayRole).toString(), "http://site.test/a b.html");
    list.Clear();
    EXPECT_EQ(reset.size(), 1);
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(FoundListModel, ModelOnAFilledListShowsItsFlags) {
    crawl::FoundList list;
    Fill(list, 3);
    list.SetSelected(1, true);
    FoundListModel model(list);
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(ViewSelectedRows(*model.SelectionModel(), 3), std::vector<int>{1});
}

TEST(FoundListModel, AccessibilityToolsSeeEachRowsSelectedState) {
    crawl::FoundList list;
    FoundListModel model(list);
    QTableView view;
    view.setModel(&model);
    view.setSelectionModel(model.SelectionModel());
    Fill(list, 3);
    list.SetSelected(0, true);
    list.SetSelected(2, true);
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&view);
    ASSERT_NE(table, nullptr);
    ASSERT_NE(table->tableInterface(), nullptr);
    EXPECT_EQ(table->tableInterface()->selectedRowCount(), 2);
    const std::vector<bool> expected = {true, false, true};
    for (int row = 0; row < 3; ++row) {
        QAccessibleInterface* cell = table->tableInterface()->cellAt(row, 0);
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->state().selected, expected[static_cast<std::size_t>(row)]) << "row " << row;
    }
}

} // namespace
} // namespace vortaxel::ui
