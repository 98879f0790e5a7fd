#pragma once

#include "export/text_phrase.h"
#include "services/platform_services.h"

#include <QObject>

class QAction;
class QActionGroup;
class QMenu;

namespace vortaxel::app {
class CrawlSession;
}

namespace vortaxel::crawl {
class FoundList;
}

namespace vortaxel::ui {

/// The "Phrases From" submenu: where the keyword file's phrases come from, Slug (the classic file) or,
/// under the browser rules, whose page facts they need, Title, H1, Anchor and Key Phrase. Key Phrase
/// turns the Key Phrases option on when chosen, since a crawl without them has no target phrases, and
/// turning that option off goes back to Slug; so does going back to the classic rules.
class PhraseSourceMenu : public QObject {
    Q_OBJECT
public:
    /// Fills `submenu`; `browserRules` and `keyPhrases` are the Options entries it follows, which outlive it.
    PhraseSourceMenu(QMenu& submenu, QAction& browserRules, QAction& keyPhrases);

    /// Where the choice is remembered; the entries take the stored one now, Slug when the rules refuse it.
    void UseSettings(services::SettingsStore& settings);
    /// The source a save writes from: Slug under the classic rules.
    keywords::PhraseSource Source() const;

private:
    void Choose(keywords::PhraseSource source);
    void ShowWhatRulesAllow();

    services::SettingsStore* settings_ = nullptr;
    QAction& browserRules_;
    QAction& keyPhrases_;
    QActionGroup* group_ = nullptr;
};

/// "&Extract" with `source`'s phrases: the classic file for Slug, or for a crawl kept under other rules;
/// otherwise the lines the command line writes for that source, from the kept crawl.
void SaveKeywordFile(const crawl::FoundList& found, const services::PlatformServices& services,
                     keywords::PhraseSource source, app::CrawlSession& kept);

} // namespace vortaxel::ui
