#include "platform_desktop.h"

#include "crawl/found_list.h"
#include "export/keyword_export.h"

namespace vortaxel::ui {

PlatformDesktop::PlatformDesktop(platform::ExportServices services, AddressLauncher& addresses)
    : services_(services), addresses_(addresses) {}

void PlatformDesktop::ShowMessage(const QString& text, const QString& title) {
    services_.messages.Show(text.toStdString(), title.toStdString(), keywords::MessageIcon::None);
}

void PlatformDesktop::ExportKeywords(const crawl::FoundList& list) {
    platform::QtExportHost host(platform::FoundListView{
                                    [&list] { return list.Count(); },
                                    [&list](std::size_t i) { return std::string(list.Text(i)); },
                                    [&list](std::size_t i) { return list.IsSelected(i); },
                                },
                                services_);
    keywords::cmdsave_Click(host);
}

} // namespace vortaxel::ui
