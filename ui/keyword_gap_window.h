#pragma once

#include "export/keyphrase/site_map.h"
#include "services/platform_services.h"

#include <string>
#include <vector>

#include <QWidget>

class QLabel;

namespace vortaxel::ui {

class PhraseTablePane;

/// The keyword gap between a competitor's crawl and the user's own: every phrase of either site's map,
/// what each scores, and whether only they target it ("gap"), both do ("shared") or only the user does
/// ("only mine"), what the user is missing first.
class KeywordGapWindow : public QWidget {
    Q_OBJECT
public:
    /// `theirSite` and `mySite` name the two crawls in the title.
    KeywordGapWindow(std::vector<keyphrase::GapRow> rows, const std::string& theirSite, const std::string& mySite,
                     services::PlatformServices services, QWidget* parent = nullptr);

    /// Asks where to, then writes the table (all its rows, as sorted and filtered) as CSV.
    void ExportCsv();

private:
    services::PlatformServices services_;
    PhraseTablePane* table_ = nullptr;
    QLabel* status_ = nullptr;
};

} // namespace vortaxel::ui
