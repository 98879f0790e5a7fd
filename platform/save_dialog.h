#pragma once

#include "export/export_host.h"

#include <string>

#include <QPointer>
#include <QString>
#include <QWidget>

namespace vortaxel::platform {

/// The modal Save-file dialog. Injected so the window's tests can answer it ahead of time.
class SaveDialog {
public:
    virtual ~SaveDialog() = default;
    /// The chosen full path (UTF-8), or "" when the user cancelled.
    virtual std::string AskSavePath(const keywords::SaveDialogRequest& request) = 0;
};

/// QFileDialog in save mode. It asks before replacing an existing file, adds no extension of its own,
/// and opens on the last path chosen in it for as long as this object lives.
class QtSaveDialog final : public SaveDialog {
public:
    explicit QtSaveDialog(QWidget* parent = nullptr);

    std::string AskSavePath(const keywords::SaveDialogRequest& request) override;

    /// The Qt form of a filter: the label, followed by the pattern in brackets unless it already ends so.
    static QString NameFilter(const keywords::SaveDialogRequest& request);

private:
    QPointer<QWidget> parent_;
    QString lastPath_;
};

} // namespace vortaxel::platform
