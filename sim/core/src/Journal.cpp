#include "hostsim/Journal.h"

namespace hostsim {

namespace {
std::string_view callName(std::string_view entry) { return entry.substr(0, entry.find(' ')); }
}  // namespace

size_t Journal::count(std::string_view name) const {
    size_t n = 0;
    for (const auto& e : entries_) n += callName(e) == name;
    return n;
}

std::vector<std::string> Journal::calls(std::string_view name) const {
    std::vector<std::string> out;
    for (const auto& e : entries_)
        if (callName(e) == name) out.push_back(e);
    return out;
}

std::vector<std::string> Journal::names() const {
    std::vector<std::string> out;
    for (const auto& e : entries_) out.emplace_back(callName(e));
    return out;
}

}  // namespace hostsim
