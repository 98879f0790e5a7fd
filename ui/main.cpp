// The desktop program: the main window on the platform's services; closing the window ends it.
#include "address_launcher.h"
#include "main_window.h"
#include "platform/atomic_file_writer.h"
#include "platform/launcher.h"
#include "platform/message_box.h"
#include "platform/save_dialog.h"
#include "platform/settings_store.h"
#include "platform_desktop.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vortaxel");
    QApplication::setOrganizationName("Vortaxel");
    QApplication::setApplicationVersion("2.00");
    QApplication::setWindowIcon(QIcon(":/vortaxel/vortaxel.png"));

    vortaxel::platform::QtSaveDialog dialog;
    vortaxel::platform::QtSettingsStore settings;
    vortaxel::platform::AtomicFileWriter files;
    vortaxel::platform::QtMessageBox messages;
    vortaxel::platform::DesktopLauncher launcher;
    vortaxel::ui::DesktopAddressLauncher addresses;
    vortaxel::ui::PlatformDesktop desktop({dialog, settings, files, messages, launcher}, addresses);

    vortaxel::ui::frmMain window(desktop, QCoreApplication::applicationDirPath());
    window.UseSettings(settings);
    window.show();
    return QApplication::exec();
}
