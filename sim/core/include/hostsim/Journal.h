// A record of the interface calls that modules make, for tests that check call
// sequences and counts. Off unless a test switches it on, so that steps stay cheap.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace hostsim {

class Journal {
public:
    bool enabled() const { return enabled_; }
    void enable(bool on = true) { enabled_ = on; }
    void clear() { entries_.clear(); }

    // Each entry is the call's name, then its arguments separated by blanks.
    void record(std::string entry) {
        if (enabled_) entries_.push_back(std::move(entry));
    }
    const std::vector<std::string>& entries() const { return entries_; }

    // Number of entries whose call name is `name`.
    size_t count(std::string_view name) const;
    // The entries whose call name is `name`, in order.
    std::vector<std::string> calls(std::string_view name) const;
    // Just the call names, in order.
    std::vector<std::string> names() const;

private:
    bool enabled_ = false;
    std::vector<std::string> entries_;
};

}  // namespace hostsim
