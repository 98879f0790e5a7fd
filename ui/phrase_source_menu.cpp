#include "phrase_source_menu.h"

#include "analysis/key_phrase_pass.h"
#include "analysis/phrase_file.h"
#include "app/crawl_session.h"
#include "check_entry_accessible.h"
#include "keyword_export.h"

#include <string>

#include <QAction>
#include <QActionGroup>
#include <QMenu>

namespace vortaxel::ui {
namespace {

constexpr const char* kSourceProperty = "phraseSource";

struct SourceEntry {
    keywords::PhraseSource source;
    const char* text;
    const char* name;
    // As the command line names it, which is also what the store holds.
    const char* stored;
};

constexpr SourceEntry kEntries[] = {
    {keywords::PhraseSource::Slug, "&Slug", "mnuPhrasesFromSlug", "slug"},
    {keywords::PhraseSource::Title, "&Title", "mnuPhrasesFromTitle", "title"},
    {keywords::PhraseSource::H1, "&H1", "mnuPhrasesFromH1", "h1"},
    {keywords::PhraseSource::Anchor, "&Anchor", "mnuPhrasesFromAnchor", "anchor"},
    {keywords::PhraseSource::KeyPhrase, "&Key Phrase", "mnuPhrasesFromKeyPhrase", "keyphrase"},
};

services::SettingKey SourceKey() {
    return {"Vortaxel", "Options", "PhrasesFrom"};
}

keywords::PhraseSource SourceOf(const QAction& action) {
    return static_cast<keywords::PhraseSource>(action.property(kSourceProperty).toInt());
}

} // namespace

PhraseSourceMenu::PhraseSourceMenu(QMenu& submenu, QAction& browserRules, QAction& keyPhrases)
    : QObject(&submenu), browserRules_(browserRules), keyPhrases_(keyPhrases) {
    group_ = new QActionGroup(this);
    group_->setExclusive(true);
    for (const SourceEntry& entry : kEntries) {
        QAction* action = submenu.addAction(entry.text);
        action->setObjectName(entry.name);
        action->setCheckable(true);
        action->setProperty(kSourceProperty, static_cast<int>(entry.source));
        group_->addAction(action);
        DescribeAsCheckEntry(*action);
    }
    group_->actions().constFirst()->setChecked(true);
    submenu.setToolTipsVisible(true);
    connect(group_, &QActionGroup::triggered, this, [this](QAction* action) { Choose(SourceOf(*action)); });
    connect(&browserRules_, &QAction::toggled, this, [this](bool browser) {
        if (!browser) {
            Choose(keywords::PhraseSource::Slug);
        }
        ShowWhatRulesAllow();
    });
    connect(&keyPhrases_, &QAction::toggled, this, [this](bool on) {
        if (!on && Source() == keywords::PhraseSource::KeyPhrase) {
            Choose(keywords::PhraseSource::Slug);
        }
    });
    ShowWhatRulesAllow();
}

void PhraseSourceMenu::ShowWhatRulesAllow() {
    const bool browser = browserRules_.isChecked();
    for (QAction* action : group_->actions()) {
        if (SourceOf(*action) == keywords::PhraseSource::Slug) {
            continue;
        }
        action->setEnabled(browser);
        action->setToolTip(browser ? QString()
                                   : QString("Needs Browser Link Rules: the classic rules keep no page facts"));
    }
}

void PhraseSourceMenu::Choose(keywords::PhraseSource source) {
    if (source != keywords::PhraseSource::Slug && !browserRules_.isChecked()) {
        source = keywords::PhraseSource::Slug;
    }
    if (source == keywords::PhraseSource::KeyPhrase && !keyPhrases_.isChecked()) {
        // Triggered as a user would, so that the Options menu remembers it too.
        keyPhrases_.trigger();
    }
    for (QAction* action : group_->actions()) {
        if (SourceOf(*action) == source) {
            action->setChecked(true);
        }
    }
    if (settings_ != nullptr) {
        // A store that cannot be written only loses the choice at the next start.
        for (const SourceEntry& entry : kEntries) {
            if (entry.source == source) {
                static_cast<void>(settings_->Write(SourceKey(), entry.stored));
            }
        }
    }
}

void PhraseSourceMenu::UseSettings(services::SettingsStore& settings) {
    settings_ = nullptr;
    const std::string stored = settings.Read(SourceKey(), "").value_or("");
    keywords::PhraseSource source = keywords::PhraseSourceNamed(stored).value_or(keywords::PhraseSource::Slug);
    if (!browserRules_.isChecked() || (source == keywords::PhraseSource::KeyPhrase && !keyPhrases_.isChecked())) {
        source = keywords::PhraseSource::Slug;
    }
    // Taken without writing it back: only a choice the user makes is remembered.
    Choose(source);
    settings_ = &settings;
}

keywords::PhraseSource PhraseSourceMenu::Source() const {
    const QAction* checked = group_->checkedAction();
    if (checked == nullptr || !browserRules_.isChecked()) {
        return keywords::PhraseSource::Slug;
    }
    return SourceOf(*checked);
}

void SaveKeywordFile(const crawl::FoundList& found, const services::PlatformServices& services,
                     keywords::PhraseSource source, app::CrawlSession& kept) {
    if (source == keywords::PhraseSource::Slug || !kept.IsOpen() ||
        kept.Store().Settings().rules != crawl::RuleSet::Browser) {
        ui::cmdsave_Click(found, services);
        return;
    }
    ui::cmdsave_Click(found, services, [&kept, source](std::span<const std::string_view> selected, std::string& bytes) {
        // The target phrases are read back from where the keyword map keeps them, as
        // the command line works it out before it writes them.
        std::string error;
        if (source == keywords::PhraseSource::KeyPhrase && !app::WorkOutKeywordMap(kept.Store(), error)) {
            return error;
        }
        return app::PhraseFileBytes(kept.Store(), source, selected, bytes);
    });
}

} // namespace vortaxel::ui
