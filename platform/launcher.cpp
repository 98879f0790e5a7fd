#include "launcher.h"

#include <QDesktopServices>
#include <QFileInfo>

namespace vortaxel::platform {

DesktopLauncher::DesktopLauncher(UrlOpener opener) : opener_(std::move(opener)) {
    if (!opener_) {
        opener_ = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    }
}

QUrl DesktopLauncher::TargetFor(const std::string& program, const std::string& argument) {
    const QString name = QString::fromStdString(program);
    if (argument.empty()) {
        return {};
    }
    if (name.compare(QStringLiteral("Notepad"), Qt::CaseInsensitive) == 0) {
        // A file URL carries the path whole, blanks, quotes and shell characters included.
        return QUrl::fromLocalFile(QFileInfo(QString::fromStdString(argument)).absoluteFilePath());
    }
    if (name.compare(QStringLiteral("Explorer.exe"), Qt::CaseInsensitive) == 0) {
        const QUrl address(QString::fromStdString(argument), QUrl::StrictMode);
        const bool web = address.scheme() == QStringLiteral("http") || address.scheme() == QStringLiteral("https");
        return address.isValid() && web && !address.host().isEmpty() ? address : QUrl();
    }
    return {};
}

bool DesktopLauncher::Launch(const std::string& program, const std::string& argument, services::WindowStyle) {
    const QUrl target = TargetFor(program, argument);
    return target.isValid() && opener_(target);
}

} // namespace vortaxel::platform
