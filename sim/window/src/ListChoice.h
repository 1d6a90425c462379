// How a person's choice of a list entry is read, on either window system.
#pragma once

#include <charconv>
#include <string>
#include <vector>

#include "Text.h"
#include "hostsim/Dialogs.h"

namespace hostsim::person {

// The entry a person means by a text: "#N", the entry with that text (ignoring case
// and outer blanks), or the first that begins with it; -1 for none.
inline int pickEntry(const std::vector<ListEntry>& entries, const std::string& text) {
    std::string_view want = trim(text);
    if (want.size() > 1 && want[0] == '#') {
        int index = -1;
        auto [end, ec] = std::from_chars(want.data() + 1, want.data() + want.size(), index);
        if (ec == std::errc() && end == want.data() + want.size())
            return index >= 0 && std::size_t(index) < entries.size() ? index : -1;
    }
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (iequals(trim(entries[i].text), want)) return int(i);
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (istartsWith(trim(entries[i].text), want)) return int(i);
    return -1;
}

inline std::string inQuotes(const std::string& s) { return "\"" + s + "\""; }

}  // namespace hostsim::person
