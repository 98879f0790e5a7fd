#include "cli/output_targets.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace vortaxel::cli {
namespace {

namespace fs = std::filesystem;

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

struct Target {
    const char* option;
    std::string path;
    /// Read by the run (a kept crawl, a CA bundle): another option may not write over it, yet it need not
    /// be writable itself, and two options may read one file.
    bool readOnly = false;
    /// Checked for a place to write by the option's own opening, which says why in its own terms.
    bool checkedWhenOpened = false;
};

/// Every file the run reads or writes, in the order the options are documented.
std::vector<Target> TargetsOf(const Options& options) {
    std::vector<Target> targets;
    if (options.dbFile) {
        // Opened for writing unless only read; either way it is checked by the crawl store.
        targets.push_back({"--db", *options.dbFile, options.offline || options.compareFile.has_value(), true});
    }
    if (options.compareFile) {
        targets.push_back({"--compare", *options.compareFile, true, true});
    }
    if (options.caFile) {
        targets.push_back({"--ca-file", *options.caFile, true, true});
    }
    if (options.reportFile) {
        targets.push_back({"--report", *options.reportFile});
    }
    if (options.audit.linksFile) {
        targets.push_back({"--links", *options.audit.linksFile});
    }
    if (options.audit.htmlFile) {
        targets.push_back({"--html", *options.audit.htmlFile});
    }
    if (options.keywordsFile) {
        targets.push_back({"--keywords", *options.keywordsFile});
    }
    return targets;
}

std::string SystemReason(int error) {
    return std::strerror(error);
}

/// The folder a relative name without a slash lands in is the working one.
fs::path FolderOf(const std::string& path) {
    const fs::path parent = fs::path(path).parent_path();
    return parent.empty() ? fs::path(".") : parent;
}

/// Why `path` cannot take the file, or an empty text. The files are replaced by a rename, so the folder
/// needs write access; an existing file must be writable too, as the replacing writer refuses one that is not.
std::string WhyNotWritable(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            return "It is a folder";
        }
        if (!S_ISREG(info.st_mode)) {
            return "It is not a regular file";
        }
        if (access(path.c_str(), W_OK) != 0) {
            return SystemReason(errno);
        }
    }
    const fs::path folder = FolderOf(path);
    std::error_code error;
    if (!fs::exists(folder, error)) {
        return "The folder " + folder.string() + " does not exist";
    }
    if (!fs::is_directory(folder, error)) {
        return folder.string() + " is not a folder";
    }
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        return SystemReason(errno);
    }
    return {};
}

/// One file under two names: the same file when both exist, else the same place once every link and
/// dot is resolved.
bool SameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    if (fs::exists(a, error) && fs::exists(b, error)) {
        return fs::equivalent(a, b, error);
    }
    const fs::path left = fs::weakly_canonical(fs::absolute(a, error), error);
    const fs::path right = fs::weakly_canonical(fs::absolute(b, error), error);
    return !error && left == right;
}

/// Standard output redirected into the file a target names would be cut off by the target's rename.
bool IsStandardOutput(const std::string& path) {
    struct stat out {};
    struct stat file {};
    return fstat(STDOUT_FILENO, &out) == 0 && S_ISREG(out.st_mode) && stat(path.c_str(), &file) == 0 &&
           out.st_dev == file.st_dev && out.st_ino == file.st_ino;
}

} // namespace

OutputTargetRefusal CheckOutputTargets(const Options& options) {
    const std::vector<Target> targets = TargetsOf(options);
    for (std::size_t i = 0; i < targets.size(); ++i) {
        for (std::size_t j = i + 1; j < targets.size(); ++j) {
            if (targets[i].readOnly && targets[j].readOnly) {
                continue;
            }
            if (SameFile(targets[i].path, targets[j].path)) {
                return {std::string(targets[i].option) + " and " + targets[j].option + " name the same file " +
                            targets[j].path,
                        kExitUsage};
            }
        }
        if (!targets[i].readOnly && IsStandardOutput(targets[i].path)) {
            return {std::string(targets[i].option) + " names the file standard output goes to: " + targets[i].path,
                    kExitUsage};
        }
    }
    for (const Target& target : targets) {
        if (target.checkedWhenOpened) {
            continue;
        }
        if (std::string reason = WhyNotWritable(target.path); !reason.empty()) {
            return {"cannot write " + target.path + ": " + std::move(reason), kExitFailure};
        }
    }
    return {};
}

} // namespace vortaxel::cli
