// Scenario files: the host's standard vessel lines, and whole scenarios read and
// written in the simulator's text format.
#include <charconv>
#include <fstream>
#include <sstream>

#include "Registry.h"
#include "Text.h"
#include "hostsim/Host.h"

namespace hostsim {

namespace {

bool readVector(std::string_view text, VECTOR3& out) {
    double v[3];
    if (readNumbers(text, v, 3) != 3) return false;
    out = _V(v[0], v[1], v[2]);
    return true;
}

bool readUnsigned(std::string_view text, UINT& out) {
    text = trim(text);
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

// "i:j,Name" as ATTACHED and DOCKINFO write it.
bool readLink(std::string_view item, UINT& own, UINT& other, std::string& name) {
    auto colon = item.find(':');
    auto comma = item.find(',');
    if (colon == std::string_view::npos || comma == std::string_view::npos || comma < colon) return false;
    if (!readUnsigned(item.substr(0, colon), own) || !readUnsigned(item.substr(colon + 1, comma - colon - 1), other))
        return false;
    name = std::string(trim(item.substr(comma + 1)));
    return !name.empty();
}

std::string_view after(std::string_view line, std::string_view key) { return trim(line.substr(key.size())); }

}  // namespace

// Keys are matched as case-insensitive prefixes, as the simulator does. A host line
// whose values do not read is noted, so that loading can refuse the scenario.
bool applyStandardLine(Vessel& v, std::string_view line) {
    auto& pending = Registry::get().pendingLinks;
    bool ok = true;
    if (istartsWith(line, "STATUS")) {
        v.status = std::string(after(line, "STATUS"));
    } else if (istartsWith(line, "RPOS")) {
        ok = readVector(after(line, "RPOS"), v.pos);
    } else if (istartsWith(line, "RVEL")) {
        ok = readVector(after(line, "RVEL"), v.vel);
    } else if (istartsWith(line, "AROT")) {
        VECTOR3 a;
        ok = readVector(after(line, "AROT"), a);
        if (ok) Host::instance().setAttitude(v.handle, a);
    } else if (istartsWith(line, "VROT")) {
        ok = readVector(after(line, "VROT"), v.angVel);
    } else if (istartsWith(line, "ATTACHED")) {
        PendingLink link{&v, true, 0, 0, {}};
        ok = readLink(after(line, "ATTACHED"), link.ownIndex, link.otherIndex, link.otherName);
        if (ok) pending.push_back(link);
    } else if (istartsWith(line, "DOCKINFO")) {
        std::istringstream items{std::string(after(line, "DOCKINFO"))};
        std::string item;
        while (items >> item) {
            PendingLink link{&v, false, 0, 0, {}};
            if (readLink(item, link.ownIndex, link.otherIndex, link.otherName)) pending.push_back(link);
            else ok = false;
        }
    } else {
        return false;
    }
    if (!ok) {
        Host::instance().writeLog("Malformed scenario line for " + v.name + ": " + std::string(line));
        Registry::get().malformedLines.emplace_back(line);
    }
    return true;
}

void writeStandardLines(Vessel& v, ScenarioFile& f) {
    auto put = [&f](const std::string& key, const std::string& value) { f.lines.push_back("  " + key + " " + value); };
    put("STATUS", v.status);
    put("RPOS", formatVector(v.pos));
    put("RVEL", formatVector(v.vel));
    if (v.arotStale) {
        v.arot = Host::anglesFromRotation(v.rot);
        v.arotStale = false;
    }
    put("AROT", formatVector(v.arot));
    if (v.angVel.x != 0 || v.angVel.y != 0 || v.angVel.z != 0) put("VROT", formatVector(v.angVel));
    if (Attachment* up = v.attachedTo()) {
        Vessel& parent = *up->partner->owner;
        auto own = std::find(v.parentPoints.begin(), v.parentPoints.end(), up) - v.parentPoints.begin();
        auto other = std::find(parent.childPoints.begin(), parent.childPoints.end(), up->partner) -
                     parent.childPoints.begin();
        put("ATTACHED", std::to_string(own) + ":" + std::to_string(other) + "," + parent.name);
    }
    std::string docks;
    for (size_t i = 0; i < v.docks.size(); ++i) {
        const Dock* mate = v.docks[i]->mate;
        if (!mate) continue;
        const auto& mateDocks = mate->owner->docks;
        auto matePort = std::find(mateDocks.begin(), mateDocks.end(), mate) - mateDocks.begin();
        if (!docks.empty()) docks += " ";
        docks += std::to_string(i) + ":" + std::to_string(matePort) + "," + mate->owner->name;
    }
    if (!docks.empty()) put("DOCKINFO", docks);
    for (const auto& line : v.unknownLines) f.lines.push_back("  " + line);
}

std::vector<std::string> Host::saveVesselLines(OBJHANDLE handle) {
    Vessel* v = vessel(handle);
    if (!v) return {};
    auto file = std::make_unique<ScenarioFile>();
    ScenarioFile* f = file.get();
    f->writing = true;
    FILEHANDLE scn = Registry::get().files.add(std::move(file));
    if (VESSEL2* callbacks = v->callbacks()) callbacks->clbkSaveState(scn);
    else writeStandardLines(*v, *f);  // a bare VESSEL saves what the host keeps of it
    std::vector<std::string> lines = std::move(f->lines);
    Registry::get().files.remove(scn);
    return lines;
}

std::string Host::loadScenario(const std::filesystem::path& file) {
    std::ifstream in(file);
    if (!in) return "cannot read scenario " + file.string();
    std::stringstream text;
    text << in.rdbuf();
    return loadScenarioText(text.str());
}

std::string Host::loadScenarioText(const std::string& text) {
    std::vector<std::string> lines;
    {
        std::istringstream in(text);
        std::string line;
        while (std::getline(in, line)) lines.push_back(line);
    }
    auto clean = [](std::string_view raw) { return trim(raw.substr(0, raw.find(';'))); };
    auto where = [](size_t i) { return "line " + std::to_string(i + 1) + ": "; };

    std::string focusName;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = clean(lines[i]);
        if (line.empty()) continue;
        if (iequals(line, "BEGIN_DESC")) {
            scenario_.description.clear();
            while (++i < lines.size() && !iequals(trim(lines[i]), "END_DESC")) scenario_.description.push_back(lines[i]);
            if (i >= lines.size()) return where(lines.size() - 1) + "BEGIN_DESC without END_DESC";
        } else if (iequals(line, "BEGIN_ENVIRONMENT")) {
            for (++i; i < lines.size() && !iequals(clean(lines[i]), "END_ENVIRONMENT"); ++i) {
                std::string_view item = clean(lines[i]);
                if (istartsWith(item, "System")) {
                    scenario_.system = std::string(after(item, "System"));
                } else if (istartsWith(item, "Date")) {
                    std::string_view date = after(item, "Date");
                    if (istartsWith(date, "MJD")) date = after(date, "MJD");
                    double mjd;
                    if (readNumbers(date, &mjd, 1) != 1) return where(i) + "bad date: " + std::string(item);
                    mjd_ = mjd;
                } else if (!item.empty()) {
                    writeLog("Unknown environment line: " + std::string(item));
                }
            }
            if (i >= lines.size()) return "BEGIN_ENVIRONMENT without END_ENVIRONMENT";
        } else if (iequals(line, "BEGIN_FOCUS")) {
            for (++i; i < lines.size() && !iequals(clean(lines[i]), "END_FOCUS"); ++i) {
                std::string_view item = clean(lines[i]);
                if (istartsWith(item, "Ship")) focusName = std::string(after(item, "Ship"));
            }
            if (i >= lines.size()) return "BEGIN_FOCUS without END_FOCUS";
        } else if (iequals(line, "BEGIN_SHIPS")) {
            for (++i; i < lines.size() && !iequals(clean(lines[i]), "END_SHIPS"); ++i) {
                std::string_view head = clean(lines[i]);
                if (head.empty()) continue;
                auto colon = head.find(':');
                if (colon == std::string_view::npos || colon == 0 || colon + 1 == head.size())
                    return where(i) + "expected Name:Class, found \"" + std::string(head) + "\"";
                std::string name(trim(head.substr(0, colon)));
                std::string cls(trim(head.substr(colon + 1)));
                size_t headLine = i;
                std::vector<std::string> block;
                for (++i; i < lines.size() && !iequals(clean(lines[i]), "END"); ++i) block.push_back(lines[i]);
                if (i >= lines.size()) return where(headLine) + "vessel " + name + " has no END";
                if (vesselByName(name)) return where(headLine) + "a vessel named " + name + " exists already";
                if (!readClass(cls)) return where(headLine) + "unknown vessel class " + cls + " of " + name;
                auto& malformed = Registry::get().malformedLines;
                malformed.clear();
                if (!createVessel(name, cls, block)) return where(headLine) + "vessel " + name + " was not created";
                if (!malformed.empty()) {
                    size_t at = headLine + 1;
                    while (at < i && clean(lines[at]) != malformed.front()) ++at;
                    return where(at) + "malformed line of " + name + ": \"" + malformed.front() + "\"";
                }
            }
            if (i >= lines.size()) return "BEGIN_SHIPS without END_SHIPS";
        } else if (istartsWith(line, "BEGIN_")) {
            std::string endKey = "END_" + std::string(line.substr(6));
            std::string section = lines[i] + "\n";
            for (++i; i < lines.size() && !iequals(clean(lines[i]), endKey); ++i) section += lines[i] + "\n";
            if (i >= lines.size()) return std::string(line) + " without " + endKey;
            scenario_.otherSections.push_back(section + lines[i]);
        } else {
            return where(i) + "unexpected \"" + std::string(line) + "\"";
        }
    }
    resolvePendingLinks();
    if (!focusName.empty()) {
        if (Vessel* f = vesselByName(focusName)) focus_ = f->handle;
        else writeLog("Focus vessel not found: " + focusName);
    }
    if (!focus_ && !order_.empty()) focus_ = order_.front()->handle;
    for (Vessel* v : order_)
        if (VESSEL2* callbacks = v->callbacks()) callbacks->clbkPostCreation();
    return {};
}

std::string Host::saveScenarioText() {
    std::string out;
    out += "BEGIN_DESC\n";
    for (const auto& d : scenario_.description) out += d + "\n";
    out += "END_DESC\n\n";
    out += "BEGIN_ENVIRONMENT\n  System " + scenario_.system + "\n  Date MJD " + formatNumber(mjd_) +
           "\nEND_ENVIRONMENT\n\n";
    if (Vessel* f = vessel(focus_)) out += "BEGIN_FOCUS\n  Ship " + f->name + "\nEND_FOCUS\n\n";
    for (const auto& s : scenario_.otherSections) out += s + "\n\n";
    out += "BEGIN_SHIPS\n";
    for (Vessel* v : order_) {
        out += v->name + ":" + v->className + "\n";
        for (const auto& line : saveVesselLines(v->handle)) out += line + "\n";
        out += "END\n";
    }
    out += "END_SHIPS\n";
    return out;
}

}  // namespace hostsim
