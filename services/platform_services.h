#pragma once

#include "services/write_result.h"

#include <optional>
#include <string>
#include <string_view>

namespace vortaxel::services {

/// One entry of the per-user settings store.
struct SettingKey {
    std::string application;
    std::string section;
    std::string key;
};

/// What the Save dialog is asked to show.
struct SaveDialogRequest {
    std::string title;
    std::string filterLabel;
    std::string pattern;
};

enum class MessageIcon { None, Information, Warning };

enum class WindowStyle { NormalFocus, MaximizedFocus };

// The platform's services, each an interface of its own so that the desktop gives Qt's and tests give
// fakes. Paths are UTF-8; list texts are raw bytes.

/// The modal Save-file dialog.
class SaveDialog {
public:
    virtual ~SaveDialog() = default;
    /// The chosen full path, or "" when the user cancelled. The dialog opens on the last path chosen
    /// in it.
    virtual std::string AskSavePath(const SaveDialogRequest& request) = 0;
    /// The same for a file to open, which must exist. A desktop without one cancels.
    virtual std::string AskOpenPath(const SaveDialogRequest& /*request*/) { return {}; }
};

/// The per-user store of text values addressed by application, section and key.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    /// Stores the value and flushes it, reporting a store that could not be written.
    virtual WriteResult Write(const SettingKey& key, const std::string& value) = 0;
    /// The stored value, `defaultValue` when there is none, or nothing when the store cannot be read.
    virtual std::optional<std::string> Read(const SettingKey& key, const std::string& defaultValue) = 0;
};

/// Replaces a whole file at once.
class FileWriter {
public:
    virtual ~FileWriter() = default;
    /// Replaces the file at `path` with exactly `bytes`, all or nothing: on failure any existing file
    /// is left as it was.
    virtual WriteResult Write(const std::string& path, std::string_view bytes) = 0;
};

/// A modal message with one OK button.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    /// Returns when the user has dismissed the message.
    virtual void Show(const std::string& text, const std::string& title, MessageIcon icon) = 0;
    /// A question with Yes and No buttons, Yes the default; true for Yes. A desktop that cannot ask
    /// answers No, which leaves everything as it is.
    virtual bool Ask(const std::string& /*text*/, const std::string& /*title*/) { return false; }
};

/// The per-user folder where the program keeps its own files.
class DataFolder {
public:
    virtual ~DataFolder() = default;
    /// Its path, made if missing; "" when there is none to be had.
    virtual std::string Path() = 0;
};

/// Starts another program without waiting for it.
class Launcher {
public:
    virtual ~Launcher() = default;
    /// `argument` reaches the program as one argument, never through a shell. Returns whether the
    /// desktop accepted the request; callers are free to ignore it.
    virtual bool Launch(const std::string& program, const std::string& argument, WindowStyle style) = 0;
};

/// Everything the window asks of the platform: the export uses all five, the crawl's refusal box the
/// message box, the About window the launcher. None is owned; each must outlive its users.
struct PlatformServices {
    SaveDialog& dialog;
    SettingsStore& settings;
    FileWriter& files;
    MessageBox& messages;
    Launcher& launcher;
};

} // namespace vortaxel::services
