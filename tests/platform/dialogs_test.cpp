#include "modal_answer.h"
#include "platform/message_box.h"
#include "platform/save_dialog.h"
#include "tests/support/named_rows.h"

#include <gtest/gtest.h>
#include <string>

#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>

namespace vortaxel::platform {
namespace {

using ::vortaxel::test::PrintTo;

using testing_support::AnswerNextModal;

struct MessageCase {
    const char* name;
    services::MessageIcon icon;
    QMessageBox::Icon shown;
};

class QtMessageBoxTest : public testing::TestWithParam<MessageCase> {};

TEST_P(QtMessageBoxTest, ShowsPlainTextWithOneOkButton) {
    QMessageBox::Icon icon = QMessageBox::Critical;
    QString title;
    QString text;
    Qt::TextFormat format = Qt::RichText;
    QMessageBox::StandardButtons buttons;
    AnswerNextModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        icon = box->icon();
        title = box->windowTitle();
        text = box->text();
        format = box->textFormat();
        buttons = box->standardButtons();
        box->button(QMessageBox::Ok)->click();
    });

    QtMessageBox().Show("Could not save /tmp/<b>x</b>.txt", "URL Crawler", GetParam().icon);

    EXPECT_EQ(icon, GetParam().shown);
    EXPECT_EQ(title, "URL Crawler");
    EXPECT_EQ(text, "Could not save /tmp/<b>x</b>.txt");
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(buttons, QMessageBox::Ok);
}

INSTANTIATE_TEST_SUITE_P(Icons, QtMessageBoxTest,
                         testing::Values(MessageCase{"Information", services::MessageIcon::Information,
                                                     QMessageBox::Information},
                                         MessageCase{"Warning", services::MessageIcon::Warning, QMessageBox::Warning},
                                         MessageCase{"None", services::MessageIcon::None, QMessageBox::NoIcon}),
                         ::vortaxel::test::RowName());

const services::SaveDialogRequest kRequest{"Save", "All Files (*.txt)", "*.txt"};

struct FilterCase {
    std::string name;
    services::SaveDialogRequest request;
    QString filter;
};

class SaveDialogFilter : public testing::TestWithParam<FilterCase> {};

TEST_P(SaveDialogFilter, LabelCarriesPatternOnce) {
    EXPECT_EQ(QtSaveDialog::NameFilter(GetParam().request), GetParam().filter);
}

INSTANTIATE_TEST_SUITE_P(Filters, SaveDialogFilter,
                         testing::Values(FilterCase{"LabelHoldsPattern", kRequest, "All Files (*.txt)"},
                                         FilterCase{"PatternAdded", {"Save", "Text", "*.txt"}, "Text (*.txt)"},
                                         FilterCase{"OtherPatternAdded",
                                                    {"Save", "All Files (*.txt)", "*.csv"},
                                                    "All Files (*.txt) (*.csv)"}),
                         ::vortaxel::test::RowName());

struct DialogSeen {
    QString title;
    QStringList filters;
    QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
    bool confirmsOverwrite = false;
    QString defaultSuffix = "unset";
    QString startFile;
};

/// Records what the dialog shows, then chooses `choice`, or cancels when it is empty.
void AnswerSaveDialog(DialogSeen& seen, const QString& choice) {
    AnswerNextModal([&seen, choice](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        seen.title = dialog->windowTitle();
        seen.filters = dialog->nameFilters();
        seen.mode = dialog->acceptMode();
        seen.confirmsOverwrite = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
        seen.defaultSuffix = dialog->defaultSuffix();
        seen.startFile = dialog->selectedFiles().value(0);
        if (choice.isEmpty()) {
            dialog->reject();
            return;
        }
        dialog->selectFile(choice);
        static_cast<QDialog*>(dialog)->accept();
    });
}

TEST(QtSaveDialog, ShowsTitleAndFilterAndRemembersLastChoice) {
    QTemporaryDir scratch;
    const QString first = scratch.filePath("first keywords.txt");
    QtSaveDialog dialog;

    DialogSeen opening;
    AnswerSaveDialog(opening, first);
    EXPECT_EQ(dialog.AskSavePath(kRequest), first.toStdString());
    EXPECT_EQ(opening.title, "Save");
    EXPECT_EQ(opening.filters, QStringList{"All Files (*.txt)"});
    EXPECT_EQ(opening.mode, QFileDialog::AcceptSave);
    EXPECT_TRUE(opening.confirmsOverwrite);
    EXPECT_EQ(opening.defaultSuffix, "");

    DialogSeen cancelled;
    AnswerSaveDialog(cancelled, {});
    EXPECT_EQ(dialog.AskSavePath(kRequest), "");
    EXPECT_EQ(cancelled.startFile, first);

    // A cancel does not make the dialog forget the last path chosen.
    DialogSeen third;
    AnswerSaveDialog(third, {});
    dialog.AskSavePath(kRequest);
    EXPECT_EQ(third.startFile, first);
}

} // namespace
} // namespace vortaxel::platform
