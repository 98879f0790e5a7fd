#include "save_dialog.h"

#include <QFileDialog>

namespace vortaxel::platform {

QtSaveDialog::QtSaveDialog(QWidget* parent) : parent_(parent) {}

QString QtSaveDialog::NameFilter(const services::SaveDialogRequest& request) {
    const QString label = QString::fromStdString(request.filterLabel);
    const QString bracketed = QStringLiteral("(%1)").arg(QString::fromStdString(request.pattern));
    return label.endsWith(bracketed) ? label : QStringLiteral("%1 %2").arg(label, bracketed);
}

std::string QtSaveDialog::AskSavePath(const services::SaveDialogRequest& request) {
    return Ask(request, true);
}

std::string QtSaveDialog::AskOpenPath(const services::SaveDialogRequest& request) {
    return Ask(request, false);
}

std::string QtSaveDialog::Ask(const services::SaveDialogRequest& request, bool save) {
    QFileDialog dialog(parent_, QString::fromStdString(request.title));
    dialog.setObjectName(QStringLiteral("dlgCommonDialog"));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
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
