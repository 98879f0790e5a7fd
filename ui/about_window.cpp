#include "about_window.h"

#include "clickable_label.h"
#include "fonts.h"
#include "pointing_hand_cursor.h"
#include "twips.h"
#include "vortaxel/version.h"
#include "window_placement.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace vortaxel::ui {
namespace {

QLabel* AddLabel(QLabel* label, const char* name, const QString& text, QRect rect) {
    label->setObjectName(name);
    label->setText(text);
    label->setAccessibleName(text);
    label->setGeometry(rect);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

} // namespace

frmabout::frmabout(services::Launcher& launcher, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      launcher_(launcher) {
    setObjectName("frmabout");
    setWindowTitle("About Vortaxel");
    setWindowIcon(QIcon(":/vortaxel/vortaxel.png"));
    setFixedSize(TwipsSize(4830, 2865));
    setModal(true);

    QLabel* label1 = AddLabel(new QLabel(this), "Label1", QString("Vortaxel  v ") + kShortVersionText,
                              TwipsRect(480, 360, 3015, 255));
    label1->setFont(SansSerifFont(9.75, true));
    QLabel* label2 =
        AddLabel(new QLabel(this), "Label2", "Swipt the Keywords of Your Competition", TwipsRect(480, 720, 3975, 375));
    label2->setFont(SansSerifFont(9.75, false));
    auto* label3 = new ClickableLabel(this);
    AddLabel(label3, "Label3", "vortaxel.example", TwipsRect(480, 1080, 2415, 255));
    label3->setCursor(PointingHandCursor());
    connect(label3, &ClickableLabel::clicked, this, &frmabout::Label3_Click);
    AddLabel(new QLabel(this), "Label4", "Written by the Vortaxel team", TwipsRect(480, 1440, 2655, 255));
    QLabel* label5 = AddLabel(new QLabel(this), "Label5", "Copyright \u00A9 2026 Vortaxel\nAll rights reserved.",
                              TwipsRect(480, 1680, 2535, 495));
    label5->setWordWrap(true);

    auto* cmdclose = new QPushButton("&Close", this);
    cmdclose->setObjectName("cmdclose");
    cmdclose->setAccessibleName("Close");
    cmdclose->setGeometry(TwipsRect(2880, 2280, 1575, 375));
    cmdclose->setFont(SansSerifFont(9.75, false));
    cmdclose->setAutoDefault(false);
    cmdclose->setDefault(false);
    connect(cmdclose, &QPushButton::clicked, this, &frmabout::cmdclose_Click);
    cmdclose->setFocus();
}

void frmabout::cmdclose_Click() {
    close();
}

void frmabout::Label3_Click() {
    // Handed over at once; a failed launch leaves the window open with nothing to say about it.
    static_cast<void>(launcher_.Launch("Explorer.exe", kWebAddress, services::WindowStyle::NormalFocus));
}

void frmabout::keyPressEvent(QKeyEvent* event) {
    // No button answers Escape; the window closes through "&Close" or its close box only.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmabout::showEvent(QShowEvent* event) {
    CentreOnScreen(*this);
    QDialog::showEvent(event);
}

} // namespace vortaxel::ui
