#include "save_dialog.h"

#include <QFileDialog>

namespace vortaxel::platform {

QtSaveDialog::QtSaveDialog(QWidget* parent) : parent_(parent) {}

QString QtSaveDialog::NameFilter(const keywords::SaveDialogRequest& request) {
    const QString label = QString::fromStdString(request.filterLabel);
    const QString bracketed = QStringLiteral("(%1)").arg(QString::fromStdString(request.pattern));
    return label.endsWith(bracketed) ? label : QStringLiteral("%1 %2").arg(label, bracketed);
}

std::string QtSaveDialog::AskSavePath(const keywords::SaveDialogRequest& request) {
    QFileDialog dialog(parent_, QString::fromStdString(request.title));
    dialog.setObjectName(QStringLiteral("dlgCommonDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(NameFilter(request));
    if (!lastPath_.isEmpty()) {
        dialog.selectFile(lastPath_);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    lastPath_ = dialog.selectedFiles().constFirst();
    return lastPath_.toStdString();
}

} // namespace vortaxel::platform
