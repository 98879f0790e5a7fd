#pragma once

#include "write_result.h"

#include <cstddef>
#include <optional>
#include <string>

namespace vortaxel::keywords {

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

/// Everything the export needs of the window and the platform. On the desktop
/// platform::QtExportHost implements it; tests implement it with fakes. Paths are UTF-8; list texts
/// are raw bytes.
class ExportHost {
public:
    virtual ~ExportHost() = default;

    /// The found list as it stands; the export only reads it.
    virtual std::size_t FoundCount() = 0;
    virtual std::string FoundText(std::size_t i) = 0;
    virtual bool FoundSelected(std::size_t i) = 0;

    /// Shows the Save dialog modally. Returns the chosen path, or "" when the user cancelled.
    /// The dialog opens on the last path chosen in it.
    virtual std::string AskSavePath(const SaveDialogRequest& request) = 0;

    /// Stores one text value. A failure is not the export's concern, so it is not reported.
    virtual void WriteSetting(const SettingKey& key, const std::string& value) = 0;
    /// The stored value, `defaultValue` when there is none, or nothing when the store cannot be read.
    virtual std::optional<std::string> ReadSetting(const SettingKey& key, const std::string& defaultValue) = 0;

    /// Replaces the file at `path` with exactly `bytes`, all or nothing: on failure any existing file
    /// is left as it was.
    virtual WriteResult WriteFile(const std::string& path, const std::string& bytes) = 0;

    /// A modal message box with one OK button; returns when dismissed.
    virtual void ShowMessage(const std::string& text, const std::string& title, MessageIcon icon) = 0;

    /// Starts `program` with `argument` as one argument, without waiting and without a shell.
    virtual void Launch(const std::string& program, const std::string& argument, WindowStyle style) = 0;
};

} // namespace vortaxel::keywords
