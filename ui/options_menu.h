#pragma once

#include "services/platform_services.h"

#include <chrono>
#include <cstddef>

#include <QObject>

class QAction;
class QActionGroup;
class QMenu;

namespace vortaxel::ui {

/// What the "Options" menu says a run is made with. A run takes these when it starts and keeps them.
struct RunChoices {
    bool browserRules = false;
    std::size_t pagesAtOnce = 1;
    std::chrono::milliseconds delay{0};
    bool obeyRobots = false;
    /// Each page's key phrases worked out as it is read; taken only with the browser rules, which read
    /// the page's text.
    bool keyPhrases = false;

    bool operator==(const RunChoices&) const = default;
};

/// The "Options" menu's entries: "Browser Link Rules", "Pages at Once" (1, 4, 8), "Delay Between
/// Requests" (none, 0.5 s, 1 s, 2 s), "Obey robots.txt" and "Key Phrases" (greyed, and off for a run,
/// without the browser rules). Each choice is written to the settings
/// store when made; a stored value that is none of the choices reads as the default.
class OptionsMenu : public QObject {
    Q_OBJECT
public:
    /// Fills `menu`, which it does not own.
    explicit OptionsMenu(QMenu& menu);

    /// Where the choices are remembered; the entries take the stored state now. Without a store the
    /// choices last while the window does.
    void UseSettings(keywords::SettingsStore& settings);

    RunChoices Choices() const;

private:
    QActionGroup* RadioGroup(QMenu& submenu, const char* namePrefix, const char* key,
                             const std::initializer_list<std::pair<const char*, long>>& choices);
    QAction* CheckEntry(QMenu& menu, const char* text, const char* name, const char* key);
    void Remember(const char* key, long value);
    /// Greys the entries the classic rules cannot honour, saying why.
    void ShowWhatRulesAllow();

    keywords::SettingsStore* settings_ = nullptr;
    QAction* browserRules_ = nullptr;
    QAction* obeyRobots_ = nullptr;
    QAction* keyPhrases_ = nullptr;
    QActionGroup* pagesAtOnce_ = nullptr;
    QActionGroup* delay_ = nullptr;
};

} // namespace vortaxel::ui
