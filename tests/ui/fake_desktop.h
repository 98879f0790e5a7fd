#pragma once

#include "services/platform_services.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QString>
#include <QStringList>

namespace vortaxel::ui::test {

/// A data folder at a path the test chose, never the user's own.
class FakeDataFolder : public services::DataFolder {
public:
    explicit FakeDataFolder(std::string path) : path_(std::move(path)) {}
    std::string Path() override { return path_; }

private:
    std::string path_;
};

/// Records every launch instead of starting a program.
class FakeLauncher : public services::Launcher {
public:
    bool Launch(const std::string& program, const std::string& argument, services::WindowStyle) override {
        programs.push_back(QString::fromStdString(program));
        opened.push_back(QString::fromStdString(argument));
        return true;
    }
    QStringList programs;
    QStringList opened;
};

/// The platform as the window's tests see it. The Save dialog runs `onExport` (the moment an export
/// holds the window) and answers `saveAnswer`, which cancels while it is empty, and the Open dialog
/// `openAnswer`; settings and files stay in memory; message boxes, questions (answered `askAnswer`)
/// and launches are recorded.
class FakeDesktop {
public:
    struct Message {
        QString text;
        QString title;
    };

    FakeDesktop() = default;
    FakeDesktop(const FakeDesktop&) = delete;
    FakeDesktop& operator=(const FakeDesktop&) = delete;
    ~FakeDesktop() = default;

    operator services::PlatformServices() { return {dialog_, settings_, files_, messages_, launcher}; }

    std::string saveAnswer;
    std::function<void()> onExport;
    int exports = 0;
    std::map<std::string, std::string> files;
    std::vector<Message> messages;
    std::string openAnswer;
    bool askAnswer = false;
    std::vector<Message> questions;
    FakeLauncher launcher;

private:
    struct Dialog : services::SaveDialog {
        explicit Dialog(FakeDesktop& desktop) : desktop(desktop) {}
        std::string AskSavePath(const services::SaveDialogRequest&) override {
            ++desktop.exports;
            if (desktop.onExport) {
                desktop.onExport();
            }
            return desktop.saveAnswer;
        }
        std::string AskOpenPath(const services::SaveDialogRequest&) override { return desktop.openAnswer; }
        FakeDesktop& desktop;
    };
    struct Settings : services::SettingsStore {
        services::WriteResult Write(const services::SettingKey& key, const std::string& value) override {
            values[key.application + "/" + key.section + "/" + key.key] = value;
            return services::WriteResult::Success();
        }
        std::optional<std::string> Read(const services::SettingKey& key, const std::string& defaultValue) override {
            const auto it = values.find(key.application + "/" + key.section + "/" + key.key);
            return it == values.end() ? defaultValue : it->second;
        }
        std::map<std::string, std::string> values;
    };
    struct Files : services::FileWriter {
        explicit Files(FakeDesktop& desktop) : desktop(desktop) {}
        services::WriteResult Write(const std::string& path, std::string_view bytes) override {
            desktop.files[path] = std::string(bytes);
            return services::WriteResult::Success();
        }
        FakeDesktop& desktop;
    };
    struct Messages : services::MessageBox {
        explicit Messages(FakeDesktop& desktop) : desktop(desktop) {}
        void Show(const std::string& text, const std::string& title, services::MessageIcon) override {
            desktop.messages.push_back({QString::fromStdString(text), QString::fromStdString(title)});
        }
        bool Ask(const std::string& text, const std::string& title) override {
            desktop.questions.push_back({QString::fromStdString(text), QString::fromStdString(title)});
            return desktop.askAnswer;
        }
        FakeDesktop& desktop;
    };

    Dialog dialog_{*this};
    Settings settings_;
    Files files_{*this};
    Messages messages_{*this};
};

} // namespace vortaxel::ui::test
