#pragma once

#include "store/crawl_store.h"

#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
} // namespace CLI

namespace vortaxel::cli {

/// The environment variable a login's password is read from when no file names it.
inline constexpr const char* kPasswordVariable = "VORTAXEL_PASSWORD";

/// Who a browser-rules crawl tells its site it is, and how it logs in.
struct IdentityOptions {
    /// The User-Agent sent: a preset's string or the user's own; empty for the program's own.
    std::string userAgent{};
    /// The robots.txt token the crawl obeys; empty for the program's own.
    std::string robotsAgent{};
    /// "Name: value" each.
    std::vector<std::string> headers{};
    /// "name=value" each.
    std::vector<std::string> cookies{};
    std::optional<std::string> authUser{};
    std::optional<std::string> authPasswordFile{};

    bool operator==(const IdentityOptions&) const = default;
};

/// Declares --user-agent, --header, --cookie, --auth-user and --auth-password-file.
void DeclareIdentityOptions(CLI::App& app, IdentityOptions& identity);

/// The first identity option given that classic rules do not take; none when the rules take them all.
const char* RefusedIdentityOption(const IdentityOptions& identity, bool browser);

/// Refuses what the options cannot mean together: each needs --rules browser (`keptOnly`: the rules come
/// from a kept crawl), none goes with a kept crawl only read, and a password file needs a user.
void CheckIdentityOptions(const IdentityOptions& identity, bool browser, bool keptOnly, bool resume);

/// What a crawl database keeps of `identity`: no password, and of a cookie or a credential header its
/// name alone.
store::KeptIdentity KeptIdentityOf(const IdentityOptions& identity);

/// Fits `identity` to what the kept crawl went as: what was left out is taken from `kept`, and what was
/// never kept (a cookie's or credential header's value) must be given again. Returns why the command line
/// contradicts or falls short of the kept crawl (`crawl` names it), naming the option, or nothing.
std::string TakeKeptIdentity(const store::KeptIdentity& kept, const std::string& crawl,
                             const std::vector<std::string>& given, IdentityOptions& identity);

/// The login's password: the first line of --auth-password-file, else kPasswordVariable. Returns why
/// there is none, naming the file or the variable, or nothing; the password itself is never in it.
std::string ReadPassword(const IdentityOptions& identity, std::string& password);

} // namespace vortaxel::cli
