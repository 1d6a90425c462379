// Checks of what the host keeps, for runs that drive the modules with arbitrary or
// random input (the fuzz targets and the soak): the records stay consistent whatever
// the modules are asked to do, and a save always loads back to the same text.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>

#include "hostsim/Host.h"

namespace hostchecks {

inline bool finite(const VECTOR3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

inline std::string pointName(const hostsim::Attachment& a) {
    return a.owner->name + (a.toParent ? " parent point " : " child point ") + a.id;
}

// The first broken rule among the host's records, or empty. Attachment partners point
// at each other, link a parent point with a child point of live vessels, and agree with
// the vessels' child lists and with what points and vessels keep of their links; no
// vessel is its own ancestor; poses are finite; animation states are finite and, with
// `statesInUnitRange`, within 0 to 1.
inline std::string brokenRecord(const hostsim::Host& host, bool statesInUnitRange) {
    using hostsim::Attachment;
    using hostsim::Vessel;
    const auto& vessels = host.vessels();
    auto live = [&](const Vessel* v) { return v && host.vessel(v->handle) == v; };
    for (const Vessel* v : vessels) {
        if (!live(v)) return "a vessel in the host's order is not live";
        std::size_t attachedChildren = 0;
        for (int list = 0; list < 2; ++list) {
            const bool toParent = list == 0;
            for (const Attachment* a : toParent ? v->parentPoints : v->childPoints) {
                if (a->owner != v || a->toParent != toParent) return v->name + ": a point in the wrong list";
                const Attachment* p = a->partner;
                if (a->partnerOwner != (p ? p->owner : nullptr)) return pointName(*a) + ": keeps the wrong partner vessel";
                if (!p) continue;
                if (!live(p->owner)) return pointName(*a) + ": attached to a vessel that is gone";
                if (p->partner != a) return pointName(*a) + ": its partner " + pointName(*p) + " does not point back";
                if (p->toParent == a->toParent) return pointName(*a) + ": attached to a point of the same kind";
                if (toParent) {
                    if (v->attachedTo() != a) return pointName(*a) + ": attached, but not the point it hangs by";
                    const auto& siblings = p->owner->children;
                    if (std::find(siblings.begin(), siblings.end(), v) == siblings.end())
                        return v->name + ": hangs from " + p->owner->name + " but is not among its children";
                } else {
                    ++attachedChildren;
                }
            }
        }
        if (attachedChildren != v->children.size())
            return v->name + ": " + std::to_string(v->children.size()) + " children listed, " +
                   std::to_string(attachedChildren) + " attached";
        for (const Vessel* c : v->children) {
            const Attachment* own = live(c) ? c->attachedTo() : nullptr;
            if (!own || !own->partner || own->partner->owner != v) return v->name + ": a child that does not hang from it";
        }
        const Attachment* own = v->attachedTo();
        if (own && (own->owner != v || !own->partner)) return v->name + ": hangs by a point that holds nothing of its own";
        if (v->hangsByHandle != (own ? own->handle : nullptr) ||
            v->parentHandle != (own && own->partner ? own->partner->owner->handle : nullptr))
            return v->name + ": keeps handles of a link that is not its own";
        std::size_t depth = 0;
        for (const Attachment* up = v->attachedTo(); up; up = up->partner->owner->attachedTo())
            if (++depth > vessels.size()) return v->name + ": is its own ancestor";
        if (!finite(v->pos) || !finite(v->vel) || !finite(v->angVel)) return v->name + ": a pose that is not finite";
        for (double x : v->rot.data)
            if (!std::isfinite(x)) return v->name + ": a rotation that is not finite";
        for (std::size_t i = 0; i < v->animations.size(); ++i) {
            const double s = v->animations[i].state;
            if (!std::isfinite(s) || (statesInUnitRange && (s < 0 || s > 1)))
                return v->name + ": animation " + std::to_string(i) + " has the state " + std::to_string(s);
        }
    }
    return {};
}

// Saves the scenario, loads the save into a reset host (same root, unknown classes
// treated as given) and saves again. Returns what went wrong, or empty when the save
// loaded and the second save is the same text; `firstSave` receives the first save.
// The host holds the reloaded scenario afterwards.
inline std::string reloadProblem(hostsim::Host& host, hostsim::UnknownClass unknownClass,
                                 std::string* firstSave = nullptr) {
    const std::string first = host.saveScenarioText();
    if (firstSave) *firstSave = first;
    host.reset();
    host.setUnknownClass(unknownClass);
    if (std::string error = host.loadScenarioText(first); !error.empty())
        return "the save does not load: " + error;
    const std::string second = host.saveScenarioText();
    if (second == first) return {};
    std::size_t at = 0;
    while (at < first.size() && at < second.size() && first[at] == second[at]) ++at;
    const std::size_t lineStart = first.rfind('\n', at == 0 ? 0 : at - 1);
    const std::size_t from = lineStart == std::string::npos ? 0 : lineStart + 1;
    return "the reloaded scenario saves differently from byte " + std::to_string(at) + ": first \"" +
           first.substr(from, at - from + 40) + "\", then \"" + second.substr(from, at - from + 40) + "\"";
}

}  // namespace hostchecks
