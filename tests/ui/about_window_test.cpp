#include "fake_desktop.h"
#include "ui/about_window.h"
#include "window_test_support.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

namespace vortaxel::ui::test {
namespace {

class AboutWindowTest : public testing::Test {
protected:
    void SetUp() override {
        about_ = std::make_unique<frmabout>(launcher_);
        about_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(about_.get()));
    }

    QPushButton* cmdclose() { return about_->findChild<QPushButton*>("cmdclose"); }
    QLabel* Label(const char* name) { return about_->findChild<QLabel*>(name); }

    FakeLauncher launcher_;
    std::unique_ptr<frmabout> about_;
};

TEST_F(AboutWindowTest, LabelsTextsAndPlaces) {
    struct Row {
        const char* name;
        QString text;
        QRect rect;
        bool bold;
    };
    const std::vector<Row> rows = {
        {"Label1", "Vortaxel  v 2.0", {32, 24, 201, 17}, true},
        {"Label2", "Swipt the Keywords of Your Competition", {32, 48, 265, 25}, false},
        {"Label3", "vortaxel.example", {32, 72, 161, 17}, false},
        {"Label4", "Written by the Vortaxel team", {32, 96, 177, 17}, false},
        {"Label5", "Copyright \u00A9 2026 Vortaxel\nAll rights reserved.", {32, 112, 169, 33}, false},
    };
    for (const Row& row : rows) {
        QLabel* label = Label(row.name);
        ASSERT_NE(label, nullptr) << row.name;
        EXPECT_EQ(label->text(), row.text) << row.name;
        EXPECT_EQ(label->geometry(), row.rect) << row.name;
        EXPECT_EQ(label->font().bold(), row.bold) << row.name;
        // Every line of each text fits its place.
        for (const QString& line : row.text.split('\n')) {
            EXPECT_LE(label->fontMetrics().horizontalAdvance(line), row.rect.width()) << row.name;
        }
    }
    EXPECT_EQ(cmdclose()->text(), "&Close");
    EXPECT_EQ(cmdclose()->geometry(), QRect(192, 152, 105, 25));
}

TEST_F(AboutWindowTest, FixedModalCentredWithTheFocusOnClose) {
    EXPECT_EQ(about_->windowTitle(), "About Vortaxel");
    EXPECT_EQ(about_->size(), QSize(322, 191));
    EXPECT_EQ(about_->minimumSize(), about_->maximumSize());
    EXPECT_TRUE(about_->isModal());
    EXPECT_FALSE(about_->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(about_->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(about_->windowFlags() & Qt::WindowCloseButtonHint);
    const QRect screen = about_->screen()->availableGeometry();
    EXPECT_LE((about_->frameGeometry().center() - screen.center()).manhattanLength(), 2);
    about_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(about_.get()));
    EXPECT_EQ(QApplication::focusWidget(), cmdclose());
    for (const char* name : {"Label1", "Label2", "Label3", "Label4", "Label5"}) {
        EXPECT_EQ(Label(name)->focusPolicy(), Qt::NoFocus) << name;
    }
}

TEST_F(AboutWindowTest, KeysThatCloseAndKeysThatDoNot) {
    struct Row {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool closes;
    };
    const std::vector<Row> rows = {
        {"Escape", Qt::Key_Escape, Qt::NoModifier, false},
        {"Alt+C", Qt::Key_C, Qt::AltModifier, true},
        {"Space on the focused Close", Qt::Key_Space, Qt::NoModifier, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        about_ = std::make_unique<frmabout>(launcher_);
        about_->show();
        about_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(about_.get()));
        QTest::keyClick(QApplication::focusWidget(), row.key, row.modifiers);
        if (row.closes) {
            // An access key presses its button with a short animation: wait for the close itself, however
            // long a busy machine takes to show it.
            EXPECT_TRUE(QTest::qWaitFor([this] { return !about_->isVisible(); }, 30000));
        } else {
            QCoreApplication::processEvents();
            EXPECT_TRUE(about_->isVisible());
        }
    }
}

TEST_F(AboutWindowTest, AddressLabelOpensTheBrowserEveryClickAndStaysOpen) {
    QLabel* label3 = Label("Label3");
    QTest::mouseClick(label3, Qt::LeftButton);
    QTest::mouseClick(label3, Qt::LeftButton);
    EXPECT_EQ(launcher_.opened, QStringList({"https://vortaxel.example/", "https://vortaxel.example/"}));
    EXPECT_EQ(launcher_.programs, QStringList({"Explorer.exe", "Explorer.exe"})) << "the browser, not the editor";
    EXPECT_TRUE(about_->isVisible());
    for (const char* other : {"Label1", "Label2", "Label4", "Label5"}) {
        QTest::mouseClick(Label(other), Qt::LeftButton);
    }
    EXPECT_EQ(launcher_.opened.size(), 2) << "the other labels do nothing";

    const QCursor hand = label3->cursor();
    EXPECT_EQ(hand.shape(), Qt::BitmapCursor);
    EXPECT_EQ(hand.pixmap().size(), QSize(32, 32));
    EXPECT_EQ(hand.hotSpot(), QPoint(12, 1));
    EXPECT_EQ(Label("Label1")->cursor().shape(), Qt::ArrowCursor);
    SavePicture(*about_, "about-window-alone.png");
}

} // namespace
} // namespace vortaxel::ui::test
