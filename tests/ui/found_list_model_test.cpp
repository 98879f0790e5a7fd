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
#include <QTest>

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
        {"the view drags over two rows",
         [](auto& list, auto& model) {
             Fill(list, 4);
             model.SelectionModel()->select(model.index(0, 0), QItemSelectionModel::Toggle);
             model.SelectionModel()->select(QItemSelection(model.index(0, 0), model.index(1, 0)),
                                            QItemSelectionModel::ToggleCurrent);
         },
         {0, 1},
         1},
        {"a drag over every row that backs off keeps the rows selected before it",
         [](auto& list, auto& model) {
             Fill(list, 4);
             list.SetSelected(3, true);
             QItemSelectionModel& view = *model.SelectionModel();
             view.select(model.index(0, 0), QItemSelectionModel::Select);
             view.select(QItemSelection(model.index(0, 0), model.index(2, 0)), QItemSelectionModel::SelectCurrent);
             view.select(QItemSelection(model.index(0, 0), model.index(1, 0)), QItemSelectionModel::SelectCurrent);
         },
         {0, 1, 3},
         2},
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

TEST(FoundListModel, AMouseDragSetsOrClearsEveryRowPassedOver) {
    struct DragCase {
        const char* name;
        std::vector<int> before; // selected before the drag
        std::vector<int> path;   // pressed on the first row, moved over the rest, released on the last
        std::vector<int> selected;
    };
    const std::vector<DragCase> cases = {
        {"down three rows", {}, {0, 1, 2}, {0, 1, 2}},
        {"up from the bottom", {}, {4, 3}, {3, 4}},
        {"backing off a row leaves it out", {}, {0, 1, 2, 1}, {0, 1}},
        {"from a selected row clears the rows passed over", {0, 1, 2, 3}, {1, 2, 3, 2}, {0, 3}},
        {"over every row and back keeps the rows selected before it", {4}, {0, 1, 2, 3, 2}, {0, 1, 2, 4}},
    };
    for (const DragCase& c : cases) {
        SCOPED_TRACE(c.name);
        crawl::FoundList list;
        FoundListModel model(list);
        Fill(list, 5);
        for (int row : c.before) {
            list.SetSelected(static_cast<std::size_t>(row), true);
        }
        QTableView view;
        view.setModel(&model);
        view.setSelectionModel(model.SelectionModel());
        view.setSelectionMode(QAbstractItemView::MultiSelection);
        view.resize(400, 400);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        auto at = [&](int row) { return view.visualRect(model.index(row, 0)).center(); };
        QTest::mousePress(view.viewport(), Qt::LeftButton, {}, at(c.path.front()));
        for (std::size_t i = 1; i < c.path.size(); ++i) {
            QTest::mouseMove(view.viewport(), at(c.path[i]));
        }
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, at(c.path.back()));
        EXPECT_EQ(ViewSelectedRows(*model.SelectionModel(), model.rowCount()), c.selected);
        EXPECT_EQ(ListSelectedRows(list), c.selected);
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
