#pragma once

#include "crawl/crawl_controls.h"
#include "store/crawl_store.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::store {

/// The crawl controls and identity of a crawl as its settings row keeps them: one JSON object, so that a
/// control added later needs no new column and an older file reads as it was, with it at its default.
struct KeptControls {
    crawl::CrawlControls controls;
    KeptIdentity identity;
};

/// What a crawl file keeps of the identity a run goes as: a credential header (Authorization, Cookie, ...)
/// by its name alone and each cookie by its name alone, so that no secret lands in a file a user may pass on.
KeptIdentity IdentityToKeep(const KeptIdentity& given);

/// `kept` with the values its credential headers and cookies lost put back from `given`, matched by name;
/// the names of those `given` has no value for.
std::vector<std::string> RestoreCredentials(KeptIdentity& kept, const KeptIdentity& given);

/// The JSON text kept for `kept`; members at their defaults are left out, so a crawl without controls
/// keeps "{}". None when a text in it is no UTF-8, which JSON cannot hold as it is.
std::optional<std::string> KeptControlsText(const KeptControls& kept);

/// `text` read back; none when it is no object of the members KeptControlsText writes, each of its type.
/// Members it does not know are passed over: a later release may keep more.
std::optional<KeptControls> ParseKeptControls(std::string_view text);

} // namespace vortaxel::store
