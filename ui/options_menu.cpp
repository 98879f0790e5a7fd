#include "options_menu.h"

#include "check_entry_accessible.h"
#include "crawl_settings_dialog.h"
#include "phrase_source_menu.h"

#include <string>
#include <utility>

#include <QAction>
#include <QActionGroup>
#include <QMenu>

namespace vortaxel::ui {
namespace {

constexpr const char* kBrowserRulesKey = "BrowserLinkRules";
constexpr const char* kPagesAtOnceKey = "PagesAtOnce";
constexpr const char* kDelayKey = "DelayMilliseconds";
constexpr const char* kObeyRobotsKey = "ObeyRobots";
constexpr const char* kKeyPhrasesKey = "KeyPhrases";
// Each radio entry carries its value, which is also what the store holds.
constexpr const char* kValueProperty = "choiceValue";

services::SettingKey OptionKey(const char* key) {
    return {"Vortaxel", "Options", key};
}

/// The entry whose value is `value`, or the first (the default) when none is.
void SelectStored(QActionGroup& group, const std::string& value) {
    QAction* match = group.actions().constFirst();
    for (QAction* action : group.actions()) {
        if (std::to_string(action->property(kValueProperty).toLongLong()) == value) {
            match = action;
        }
    }
    match->setChecked(true);
}

long CheckedValue(const QActionGroup& group) {
    const QAction* checked = group.checkedAction();
    return checked == nullptr ? 0 : checked->property(kValueProperty).toLongLong();
}

} // namespace

OptionsMenu::OptionsMenu(QMenu& menu) : QObject(&menu) {
    browserRules_ = CheckEntry(menu, "&Browser Link Rules", "mnuBrowserRules", kBrowserRulesKey);
    menu.addSeparator();
    QMenu* pages = menu.addMenu("&Pages at Once");
    pages->setObjectName("mnuPagesAtOnce");
    pagesAtOnce_ = RadioGroup(*pages, "mnuPagesAtOnce", kPagesAtOnceKey, {{"1", 1}, {"4", 4}, {"8", 8}});
    QMenu* delay = menu.addMenu("&Delay Between Requests");
    delay->setObjectName("mnuDelay");
    delay_ = RadioGroup(*delay, "mnuDelay", kDelayKey, {{"None", 0}, {"0.5 s", 500}, {"1 s", 1000}, {"2 s", 2000}});
    obeyRobots_ = CheckEntry(menu, "Obey &robots.txt", "mnuObeyRobots", kObeyRobotsKey);
    menu.addSeparator();
    keyPhrases_ = CheckEntry(menu, "&Key Phrases", "mnuKeyPhrases", kKeyPhrasesKey);
    QMenu* phrasesFrom = menu.addMenu("P&hrases From");
    phrasesFrom->setObjectName("mnuPhrasesFrom");
    phraseSource_ = new PhraseSourceMenu(*phrasesFrom, *browserRules_, *keyPhrases_);
    menu.addSeparator();
    crawlSettingsEntry_ = menu.addAction("Crawl &Settings...");
    crawlSettingsEntry_->setObjectName("mnuCrawlSettings");
    connect(crawlSettingsEntry_, &QAction::triggered, this, &OptionsMenu::ShowCrawlSettings);
    // A greyed entry says why in its tooltip.
    menu.setToolTipsVisible(true);
    connect(browserRules_, &QAction::toggled, this, &OptionsMenu::ShowWhatRulesAllow);
    ShowWhatRulesAllow();
}

void OptionsMenu::ShowWhatRulesAllow() {
    const bool browser = browserRules_->isChecked();
    // The choice itself is kept as made: it comes back with the browser rules.
    keyPhrases_->setEnabled(browser);
    keyPhrases_->setToolTip(browser ? QString("Works out each page's key phrases from its text as it is read")
                                    : QString("Needs Browser Link Rules: the classic rules read no page text"));
    // Open in every case, so the settings can be made ready; the dialog says when a crawl ignores them.
    crawlSettingsEntry_->setToolTip(browser ? QString("Scope, patterns, depth, identity, login and list mode")
                                            : QString("Applies under Browser Link Rules only, which is off"));
}

void OptionsMenu::ShowCrawlSettings() {
    if (crawlSettingsDialog_ && crawlSettingsDialog_->isVisible()) {
        crawlSettingsDialog_->raise();
        crawlSettingsDialog_->activateWindow();
        return;
    }
    // The one closed before goes now, so the window holds one dialog at most.
    delete crawlSettingsDialog_.data();
    auto* menu = qobject_cast<QMenu*>(parent());
    QWidget* owner = menu != nullptr && menu->parentWidget() != nullptr ? menu->parentWidget()->window() : nullptr;
    auto* dialog = new CrawlSettingsDialog(crawlSettings_, browserRules_->isChecked(), owner);
    crawlSettingsDialog_ = dialog;
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        crawlSettings_ = dialog->Values();
        if (settings_ != nullptr) {
            RememberCrawlSettings(*settings_, crawlSettings_);
        }
    });
    // Modal to the window, without a loop of its own: a crawl cannot start beneath it.
    dialog->open();
}

std::vector<CrawlSettingsProblem> OptionsMenu::Refusals() const {
    std::vector<CrawlSettingsProblem> refusals;
    if (!browserRules_->isChecked()) {
        return refusals;
    }
    for (CrawlSettingsProblem& problem : ProblemsOf(crawlSettings_)) {
        if (problem.blocks) {
            refusals.push_back(std::move(problem));
        }
    }
    return refusals;
}

QAction* OptionsMenu::CheckEntry(QMenu& menu, const char* text, const char* name, const char* key) {
    QAction* action = menu.addAction(text);
    action->setObjectName(name);
    action->setCheckable(true);
    DescribeAsCheckEntry(*action);
    connect(action, &QAction::triggered, this, [this, key](bool checked) { Remember(key, checked ? 1 : 0); });
    return action;
}

QActionGroup* OptionsMenu::RadioGroup(QMenu& submenu, const char* namePrefix, const char* key,
                                      const std::initializer_list<std::pair<const char*, long>>& choices) {
    auto* group = new QActionGroup(this);
    group->setExclusive(true);
    for (const auto& [text, value] : choices) {
        QAction* action = submenu.addAction(text);
        action->setObjectName(QString("%1%2").arg(namePrefix).arg(value));
        action->setCheckable(true);
        action->setProperty(kValueProperty, static_cast<qlonglong>(value));
        group->addAction(action);
        DescribeAsCheckEntry(*action);
    }
    group->actions().constFirst()->setChecked(true);
    connect(group, &QActionGroup::triggered, this,
            [this, key](QAction* action) { Remember(key, action->property(kValueProperty).toLongLong()); });
    return group;
}

void OptionsMenu::UseSettings(services::SettingsStore& settings) {
    settings_ = &settings;
    const auto stored = [&settings](const char* key) { return settings.Read(OptionKey(key), "").value_or(""); };
    browserRules_->setChecked(stored(kBrowserRulesKey) == "1");
    obeyRobots_->setChecked(stored(kObeyRobotsKey) == "1");
    keyPhrases_->setChecked(stored(kKeyPhrasesKey) == "1");
    SelectStored(*pagesAtOnce_, stored(kPagesAtOnceKey));
    SelectStored(*delay_, stored(kDelayKey));
    crawlSettings_ = ReadCrawlSettings(settings);
    // Last, since it follows the rules and the key phrases just taken.
    phraseSource_->UseSettings(settings);
}

keywords::PhraseSource OptionsMenu::PhraseSource() const {
    return phraseSource_->Source();
}

RunChoices OptionsMenu::Choices() const {
    RunChoices choices;
    choices.browserRules = browserRules_->isChecked();
    choices.pagesAtOnce = static_cast<std::size_t>(CheckedValue(*pagesAtOnce_));
    choices.delay = std::chrono::milliseconds(CheckedValue(*delay_));
    choices.obeyRobots = obeyRobots_->isChecked();
    choices.keyPhrases = choices.browserRules && keyPhrases_->isChecked();
    if (choices.browserRules) {
        store::KeptControls kept = ControlsOf(crawlSettings_);
        choices.controls = std::move(kept.controls);
        choices.identity = std::move(kept.identity);
    }
    return choices;
}

void OptionsMenu::Remember(const char* key, long value) {
    if (settings_ != nullptr) {
        // A store that cannot be written only loses the choice at the next start.
        settings_->Write(OptionKey(key), std::to_string(value));
    }
}

} // namespace vortaxel::ui
