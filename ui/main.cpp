// The desktop program: the main window on the platform's services; closing the window ends it.
#include "main_window.h"
#include "platform/atomic_file_writer.h"
#include "platform/data_folder.h"
#include "platform/launcher.h"
#include "platform/message_box.h"
#include "platform/save_dialog.h"
#include "platform/settings_store.h"
#include "vortaxel/version.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vortaxel");
    QApplication::setOrganizationName("Vortaxel");
    QApplication::setApplicationVersion(vortaxel::kVersionText);
    QApplication::setWindowIcon(QIcon(":/vortaxel/vortaxel.png"));

    vortaxel::platform::QtSaveDialog dialog;
    vortaxel::platform::QtSettingsStore settings;
    vortaxel::platform::AtomicFileWriter files;
    vortaxel::platform::QtMessageBox messages;
    vortaxel::platform::DesktopLauncher launcher;

    vortaxel::ui::frmMain window({dialog, settings, files, messages, launcher}, QCoreApplication::applicationDirPath());
    vortaxel::platform::QtDataFolder dataFolder;
    window.UseDataFolder(dataFolder);
    window.show();
    // Asked once the window is on screen, so the question has a window to belong to.
    QTimer::singleShot(0, &window, [&window] { window.OfferKeptCrawl(); });
    return QApplication::exec();
}
