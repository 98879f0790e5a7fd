// Opens the main window, starts a crawl of argv[1] and closes the window as soon as the first address
// is listed, that is while its page is being fetched. Prints how many milliseconds passed from the
// close to the end of main, after every object has been destroyed.

#include "tests/ui/fake_desktop.h"
#include "ui/main_window.h"

#include <chrono>
#include <cstdio>
#include <memory>

#include <QApplication>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTimer>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_close_probe URL\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    std::chrono::steady_clock::time_point closedAt;
    {
        QApplication app(argc, argv);
        vortaxel::ui::test::FakeDesktop desktop;
        auto window = std::make_unique<vortaxel::ui::frmMain>(desktop, QCoreApplication::applicationDirPath());
        window->show();
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (window->Engine().List2().Count() >= 1 && window->isVisible()) {
                closedAt = std::chrono::steady_clock::now();
                window->close();
            }
        });
        closer.start(5);
        window->findChild<QLineEdit*>("txturl")->setText(QString::fromLocal8Bit(argv[1]));
        int enter = 13;
        window->txturl_KeyPress(enter);
    }
    const auto elapsed = std::chrono::steady_clock::now() - closedAt;
    std::printf("%lld\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()));
    return closedAt == std::chrono::steady_clock::time_point{} ? 1 : 0;
}
