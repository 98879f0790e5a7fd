#include "address_launcher.h"

#include <QDesktopServices>
#include <QUrl>

namespace vortaxel::ui {

void DesktopAddressLauncher::OpenAddress(const QString& address) {
    QDesktopServices::openUrl(QUrl(address, QUrl::StrictMode));
}

} // namespace vortaxel::ui
