#include "export/content/hreflang_check.h"

#include "export/content/language_codes.h"
#include "web/ascii.h"

#include <unordered_set>

namespace vortaxel::audit {

namespace {

class PageFindings {
public:
    void Add(std::string issue) {
        if (!seen_.insert(issue).second) {
            return;
        }
        if (issues_.size() < kMaxHreflangIssues) {
            issues_.push_back(std::move(issue));
        } else {
            ++more_;
        }
    }

    std::vector<std::string> Take() {
        if (more_ != 0) {
            issues_.push_back("and " + std::to_string(more_) + " more");
        }
        return std::move(issues_);
    }

private:
    std::vector<std::string> issues_;
    std::unordered_set<std::string> seen_;
    std::size_t more_ = 0;
};

} // namespace

std::unordered_map<std::string, std::vector<std::string>>
HreflangIssues(const std::vector<HreflangPage>& pages, const std::unordered_map<std::string, HreflangTarget>& targets) {
    // Who names whom: a return link is any alternate back, whatever code it gives.
    std::unordered_map<std::string, std::unordered_set<std::string>> names;
    for (const HreflangPage& page : pages) {
        auto& named = names[page.url];
        for (const HreflangAlternate& alternate : page.alternates) {
            named.insert(alternate.target);
        }
    }
    std::unordered_map<std::string, std::vector<std::string>> issues;
    for (const HreflangPage& page : pages) {
        if (page.alternates.empty()) {
            continue;
        }
        PageFindings findings;
        bool self = false;
        bool xDefault = false;
        std::unordered_set<std::string> checked;
        for (const HreflangAlternate& alternate : page.alternates) {
            if (!IsHreflangCode(alternate.code)) {
                findings.Add("invalid hreflang code " + alternate.code);
            }
            xDefault = xDefault || web::EqualsIgnoreCase(alternate.code, "x-default");
            if (alternate.target == page.url) {
                self = true;
                continue;
            }
            if (!checked.insert(alternate.target).second) {
                continue;
            }
            const auto back = names.find(alternate.target);
            const auto target = targets.find(alternate.target);
            if (target != targets.end()) {
                if (target->second.status != 200) {
                    findings.Add(
                        "alternate " + alternate.target + " answers " +
                        (target->second.status == 0 ? std::string("nothing") : std::to_string(target->second.status)));
                    continue;
                }
                if (target->second.noindex) {
                    findings.Add("alternate " + alternate.target + " is noindex");
                }
                if (!target->second.canonicalElsewhere.empty()) {
                    findings.Add("alternate " + alternate.target + " is canonicalised to " +
                                 target->second.canonicalElsewhere);
                }
                if (back == names.end() || !back->second.contains(page.url)) {
                    findings.Add("no return link from " + alternate.target);
                }
            }
        }
        if (!self) {
            findings.Add("no self reference");
        }
        if (!xDefault) {
            findings.Add("no x-default");
        }
        if (std::vector<std::string> found = findings.Take(); !found.empty()) {
            issues.emplace(page.url, std::move(found));
        }
    }
    return issues;
}

} // namespace vortaxel::audit
