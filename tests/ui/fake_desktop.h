#pragma once

#include "crawl/found_list.h"
#include "ui/address_launcher.h"
#include "ui/desktop_services.h"

#include <functional>
#include <utility>
#include <vector>

#include <QString>
#include <QStringList>

namespace vortaxel::ui::test {

class FakeLauncher : public AddressLauncher {
public:
    void OpenAddress(const QString& address) override { opened.push_back(address); }
    QStringList opened;
};

/// Records what the window asked of the desktop; an export runs `onExport` (if set) over the list.
class FakeDesktop : public DesktopServices {
public:
    struct Message {
        QString text;
        QString title;
    };

    void ShowMessage(const QString& text, const QString& title) override { messages.push_back({text, title}); }

    void ExportKeywords(const crawl::FoundList& list) override {
        exportedCounts.push_back(list.Count());
        if (onExport) {
            onExport(list);
        }
    }

    AddressLauncher& Launcher() override { return launcher; }

    std::vector<Message> messages;
    std::vector<std::size_t> exportedCounts;
    std::function<void(const crawl::FoundList&)> onExport;
    FakeLauncher launcher;
};

} // namespace vortaxel::ui::test
