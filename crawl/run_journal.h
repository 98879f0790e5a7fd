#pragma once

#include "crawl/found_list.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vortaxel::crawl {

class LinkRules;

/// How far the queue has moved since the run began: enough for a journal to follow it by what was
/// added at the tail, without reading it whole after every turn.
struct QueueProgress {
    /// Entries taken from the head.
    std::uint64_t popped = 0;
    /// How often entries behind the head were removed (the start text changed): then only the
    /// whole queue tells where it stands.
    std::uint64_t reorders = 0;
};

/// The run's state between two turns: what a later run needs to carry on exactly as this one would.
class RunSnapshot {
public:
    RunSnapshot(const FoundList& found, const LinkRules& rules) : found_(found), rules_(rules) {}

    const FoundList& Found() const { return found_; }
    std::size_t QueueCount() const;
    /// Entry `i` of the queue, 0 being the head; valid until the run goes on.
    std::string_view QueueText(std::size_t i) const;
    QueueProgress Queue() const;
    /// What else the rules carry, in their own words; empty when nothing.
    std::string RulesNote() const;
    /// Whether work is left that the queue does not show, so that a run with an empty queue is not done.
    bool WorkBesideQueue() const;

private:
    const FoundList& found_;
    const LinkRules& rules_;
};

/// Hears the run's state whenever it is whole: after the start page is queued and after every
/// turn. A page listed in a turn is told to the listener before the turn ends here.
class RunJournal {
public:
    virtual ~RunJournal() = default;
    virtual void TurnEnded(const RunSnapshot& state) = 0;
};

/// A run kept from before, read back in the order a run carries on from it.
class ResumeSource {
public:
    virtual ~ResumeSource() = default;
    using Visit = std::function<void(std::string_view)>;
    /// Addresses met and done with, neither listed nor queued any more; browser rules never take
    /// them again.
    virtual void ForEachMet(const Visit& visit) = 0;
    /// The found list, in order.
    virtual void ForEachFound(const Visit& visit) = 0;
    /// The queue, head first.
    virtual void ForEachQueued(const Visit& visit) = 0;
    /// What RunSnapshot::RulesNote said when the state was taken.
    virtual std::string RulesNote() = 0;
};

} // namespace vortaxel::crawl
