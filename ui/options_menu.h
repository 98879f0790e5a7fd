#pragma once

#include "crawl/crawl_controls.h"
#include "crawl_settings.h"
#include "export/text_phrase.h"
#include "services/platform_services.h"
#include "store/crawl_store.h"

#include <chrono>
#include <cstddef>
#include <vector>

#include <QObject>
#include <QPointer>

class QAction;
class QActionGroup;
class QDialog;
class QMenu;

namespace vortaxel::ui {

class PhraseSourceMenu;

/// What the "Options" menu says a run is made with. A run takes these when it starts and keeps them.
struct RunChoices {
    bool browserRules = false;
    std::size_t pagesAtOnce = 1;
    std::chrono::milliseconds delay{0};
    bool obeyRobots = false;
    /// Each page's key phrases worked out as it is read; taken only with the browser rules, which read
    /// the page's text.
    bool keyPhrases = false;
    /// The Crawl Settings as a run takes them: at their defaults without the browser rules, which the
    /// classic rules never look at.
    crawl::CrawlControls controls{};
    store::KeptIdentity identity{};

    bool operator==(const RunChoices&) const = default;
};

/// The "Options" menu's entries: "Browser Link Rules", "Pages at Once" (1, 4, 8), "Delay Between
/// Requests" (none, 0.5 s, 1 s, 2 s), "Obey robots.txt", "Key Phrases" (greyed, and off for a run,
/// without the browser rules) and "Crawl Settings...", a dialog whose settings a run takes only under the
/// browser rules. Each choice is written to the settings store when made; a stored value that is none of
/// the choices reads as the default.
class OptionsMenu : public QObject {
    Q_OBJECT
public:
    /// Fills `menu`, which it does not own.
    explicit OptionsMenu(QMenu& menu);

    /// Where the choices are remembered; the entries take the stored state now. Without a store the
    /// choices last while the window does.
    void UseSettings(services::SettingsStore& settings);

    RunChoices Choices() const;
    /// The Crawl Settings as the dialog last took them.
    const CrawlSettingsValues& CrawlSettings() const { return crawlSettings_; }
    /// Where the keyword file's phrases come from ("Phrases From"): Slug under the classic rules.
    keywords::PhraseSource PhraseSource() const;
    /// What keeps a run from starting now: the Crawl Settings' problems that block, under the browser
    /// rules; none under the classic rules, which ignore them.
    std::vector<CrawlSettingsProblem> Refusals() const;

    /// Opens the Crawl Settings dialog, or brings it to the front when it is open already. Its values are
    /// taken and remembered when it is closed with OK.
    void ShowCrawlSettings();

private:
    QActionGroup* RadioGroup(QMenu& submenu, const char* namePrefix, const char* key,
                             const std::initializer_list<std::pair<const char*, long>>& choices);
    QAction* CheckEntry(QMenu& menu, const char* text, const char* name, const char* key);
    void Remember(const char* key, long value);
    /// Greys the entries the classic rules cannot honour, saying why.
    void ShowWhatRulesAllow();

    services::SettingsStore* settings_ = nullptr;
    QAction* browserRules_ = nullptr;
    QAction* obeyRobots_ = nullptr;
    QAction* keyPhrases_ = nullptr;
    PhraseSourceMenu* phraseSource_ = nullptr;
    QActionGroup* pagesAtOnce_ = nullptr;
    QActionGroup* delay_ = nullptr;
    QAction* crawlSettingsEntry_ = nullptr;
    CrawlSettingsValues crawlSettings_;
    QPointer<QDialog> crawlSettingsDialog_;
};

} // namespace vortaxel::ui
