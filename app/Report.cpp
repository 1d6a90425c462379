#include "Report.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <sstream>

#include "AddonVersion.h"
#include "hostsim/Host.h"

namespace hostsim {

namespace {

using nlohmann::json;

json vec(const VECTOR3& v) { return json::array({v.x, v.y, v.z}); }

json matrix(const MATRIX3& m) {
    return json::array({json::array({m.m11, m.m12, m.m13}), json::array({m.m21, m.m22, m.m23}),
                        json::array({m.m31, m.m32, m.m33})});
}

template <class List, class Item>
long indexOf(const List& list, const Item* item) {
    auto it = std::find(list.begin(), list.end(), item);
    return it == list.end() ? -1 : long(it - list.begin());
}

json points(const std::vector<Attachment*>& list) {
    json out = json::array();
    for (size_t i = 0; i < list.size(); ++i) {
        const Attachment& a = *list[i];
        out.push_back({{"index", i},
                       {"id", a.id},
                       {"position", vec(a.pos)},
                       {"direction", vec(a.dir)},
                       {"rotation", vec(a.rot)},
                       {"attached", a.partner ? json(a.partner->owner->name) : json(nullptr)}});
    }
    return out;
}

// The lines of a vessel's block that belong to its module, not to the host.
std::vector<std::string> moduleLines(OBJHANDLE h) {
    static const char* const hostKeys[] = {"STATUS", "RPOS", "RVEL", "AROT", "VROT", "ATTACHED", "DOCKINFO"};
    std::vector<std::string> out;
    const Vessel& v = *Host::instance().vessel(h);
    for (const std::string& raw : Host::instance().saveVesselLines(h)) {
        std::string line = raw.substr(std::min(raw.find_first_not_of(' '), raw.size()));
        line.erase(line.find_last_not_of(' ') + 1);  // a key with an empty value is saved with a blank after it
        bool host = std::find(v.unknownLines.begin(), v.unknownLines.end(), line) != v.unknownLines.end();
        for (const char* key : hostKeys) host = host || line.rfind(key, 0) == 0;
        if (!host) out.push_back(line);
    }
    return out;
}

std::string fixed(double v, int decimals) {
    std::ostringstream s;
    s.setf(std::ios::fixed);
    s.precision(decimals);
    s << v;
    return s.str();
}

}  // namespace

std::string dumpJson() {
    Host& host = Host::instance();
    json vessels = json::array();
    for (const Vessel* v : host.vessels()) {
        json meshes = json::array();
        for (size_t i = 0; i < v->meshes.size(); ++i)
            if (v->meshes[i].used)
                meshes.push_back({{"index", i}, {"name", v->meshes[i].name}, {"offset", vec(v->meshes[i].offset)}});
        json docks = json::array();
        for (size_t i = 0; i < v->docks.size(); ++i) {
            const Dock& d = *v->docks[i];
            json mate = nullptr;
            if (d.mate) mate = {{"vessel", d.mate->owner->name}, {"port", indexOf(d.mate->owner->docks, d.mate)}};
            docks.push_back({{"index", i},
                             {"position", vec(d.pos)},
                             {"direction", vec(d.dir)},
                             {"rotation", vec(d.rot)},
                             {"mate", mate}});
        }
        json animations = json::array();
        for (size_t i = 0; i < v->animations.size(); ++i)
            animations.push_back(
                {{"index", i}, {"state", v->animations[i].state}, {"components", v->animations[i].components.size()}});
        vessels.push_back({{"name", v->name},
                           {"class", v->className},
                           {"position", vec(host.globalPosition(*v))},
                           {"rotation", matrix(v->rot)},
                           {"emptyMass", v->emptyMass},
                           {"meshes", meshes},
                           {"docks", docks},
                           {"parentPoints", points(v->parentPoints)},
                           {"childPoints", points(v->childPoints)},
                           {"animations", animations}});
    }
    json scene = {{"hostsimVersion", ADDON_VERSION_TEXT}, {"simTime", host.simTime()}, {"vessels", vessels}};
    // Names are bytes as the scenario gave them; what is not UTF-8 shows as U+FFFD.
    return scene.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

std::string summaryText() {
    Host& host = Host::instance();
    std::ostringstream out;
    out << "t = " << fixed(host.simTime(), 1) << " s, " << host.vessels().size() << " vessels\n";
    for (const Vessel* v : host.vessels()) {
        out << "  " << v->name << " (" << v->className << ")";
        std::string sep = ": ";
        for (const std::string& line : moduleLines(v->handle)) {
            out << sep << line;
            sep = ", ";
        }
        out << "\n";
        if (const Attachment* up = v->attachedTo())
            out << "      hangs from " << up->partner->owner->name << " at " << up->partner->id << " "
                << indexOf(up->partner->owner->childPoints, up->partner) << "\n";
        std::vector<std::string> payloads;
        for (size_t i = 0; i < v->childPoints.size(); ++i)
            if (v->childPoints[i]->partner)
                payloads.push_back(v->childPoints[i]->partner->owner->name + " at " + v->childPoints[i]->id + " " +
                                   std::to_string(i));
        if (!payloads.empty()) {
            out << "      carries";
            for (size_t i = 0; i < payloads.size(); ++i) out << (i ? ", " : " ") << payloads[i];
            out << "\n";
        }
        if (!v->animations.empty()) {
            out << "      animation states";
            for (const Animation& a : v->animations) out << " " << fixed(a.state, 3);
            out << "\n";
        }
        size_t mated = 0;
        for (const Dock* d : v->docks) mated += d->mate != nullptr;
        if (mated) out << "      docked at " << mated << " of " << v->docks.size() << " ports\n";
    }
    out << host.logLineCount() << " log lines written\n";
    return printable(out.str());
}

std::string printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 0x20 && byte != 0x7F) || c == '\n') {
            out += c;
        } else {
            static constexpr char kHex[] = "0123456789abcdef";
            out += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
        }
    }
    return out;
}

}  // namespace hostsim
