#pragma once

#include "services/platform_services.h"

#include <string>

#include <QPointer>
#include <QString>
#include <QWidget>

namespace vortaxel::platform {

/// QFileDialog in save mode, or in open mode for an existing file. It asks before replacing an existing file, adds no
/// extension of its own, and opens on the last path chosen in it for as long as this object lives.
class QtSaveDialog final : public services::SaveDialog {
public:
    explicit QtSaveDialog(QWidget* parent = nullptr);

    std::string AskSavePath(const services::SaveDialogRequest& request) override;
    std::string AskOpenPath(const services::SaveDialogRequest& request) override;

    /// The Qt form of a filter: the label, followed by the pattern in brackets unless it already ends so.
    static QString NameFilter(const services::SaveDialogRequest& request);

private:
    std::string Ask(const services::SaveDialogRequest& request, bool save);

    QPointer<QWidget> parent_;
    QString lastPath_;
};

} // namespace vortaxel::platform
