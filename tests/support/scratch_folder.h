#pragma once

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdlib.h>
#include <string>
#include <string_view>
#include <system_error>

namespace vortaxel::test {

/// A folder of its own under the system's temporary folder, removed with all it holds when the
/// object goes. Its name is new to this run, so no file left by an earlier run, or by a test
/// running beside this one, can stand in for a file the code under test failed to write.
class ScratchFolder {
public:
    /// `label` starts the folder's name, to tell whose folder it is when a crash leaves one behind.
    /// Throws std::system_error when no folder can be made.
    explicit ScratchFolder(std::string_view label = "scratch") {
        std::string name =
            (std::filesystem::temp_directory_path() / ("vortaxel-" + std::string(label) + "-XXXXXX")).string();
        // mkdtemp picks the name and makes the folder in one step, so two processes never share one.
        if (mkdtemp(name.data()) == nullptr) {
            throw std::system_error(errno, std::generic_category(), "cannot make a folder like " + name);
        }
        path_ = name;
    }

    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }

    std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

/// Every byte of a file; empty when it is missing or cannot be read.
inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace vortaxel::test
