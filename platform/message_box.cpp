#include "message_box.h"

#include <QMessageBox>

namespace vortaxel::platform {

namespace {

QMessageBox::Icon ToQt(services::MessageIcon icon) {
    switch (icon) {
    case services::MessageIcon::Information:
        return QMessageBox::Information;
    case services::MessageIcon::Warning:
        return QMessageBox::Warning;
    case services::MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QtMessageBox::QtMessageBox(QWidget* parent) : parent_(parent) {}

void QtMessageBox::Show(const std::string& text, const std::string& title, services::MessageIcon icon) {
    QMessageBox box(ToQt(icon), QString::fromStdString(title), QString::fromStdString(text), QMessageBox::Ok, parent_);
    box.setObjectName(QStringLiteral("messageBox"));
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool QtMessageBox::Ask(const std::string& text, const std::string& title) {
    QMessageBox box(QMessageBox::Question, QString::fromStdString(title), QString::fromStdString(text),
                    QMessageBox::Yes | QMessageBox::No, parent_);
    box.setObjectName(QStringLiteral("questionBox"));
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

} // namespace vortaxel::platform
