// Scenario files: the host's standard vessel lines, and whole scenarios read and
// written in the simulator's text format. Nothing read is lost and nothing unread is
// added: sections the host does not interpret are written back as they were, in their
// place; a vessel's block gets back the lines it had, in their order.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <set>
#include <unordered_map>

#include "Registry.h"
#include "Text.h"
#include "hostsim/Files.h"
#include "hostsim/Host.h"

namespace hostsim {

namespace {

using Line = Vessel::Line;

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

// Whether an item "port:mateport,Name" begins here.
bool linkBegins(std::string_view text) {
    auto digits = [&text] {
        const auto n = std::min(text.find_first_not_of("0123456789"), text.size());
        text.remove_prefix(n);
        return n > 0;
    };
    if (!digits() || text.empty() || text.front() != ':') return false;
    text.remove_prefix(1);
    return digits() && !text.empty() && text.front() == ',';
}

// The items of a DOCKINFO line. A vessel name may hold blanks, so an item ends only
// where a blank is followed by the beginning of the next.
std::vector<std::string_view> dockItems(std::string_view value) {
    std::vector<std::string_view> items;
    value = trim(value);
    std::size_t start = 0;
    for (std::size_t i = 1; i <= value.size(); ++i) {
        if (i < value.size() && !((value[i - 1] == ' ' || value[i - 1] == '\t') && linkBegins(value.substr(i)))) continue;
        if (std::string_view item = trim(value.substr(start, i - start)); !item.empty()) items.push_back(item);
        start = i;
    }
    return items;
}

std::string_view after(std::string_view line, std::string_view key) { return trim(line.substr(key.size())); }

std::string_view firstWord(std::string_view text) {
    text = trim(text);
    return text.substr(0, text.find_first_of(" \t"));
}

std::string atLine(int line) { return line > 0 ? "line " + std::to_string(line) + ": " : std::string(); }

// "STATUS Orbiting Earth", "STATUS Landed Moon": the body and whether the vessel is landed.
void readStatus(Vessel& v, std::string_view value, int line) {
    v.status = std::string(value);
    std::string_view how = firstWord(value);
    std::string_view where = firstWord(after(value, how));
    v.landed = iequals(how, "Landed");
    v.body = Body::Sun;
    if (where.empty()) return;
    if (auto body = findBody(where)) {
        v.body = *body;
    } else {
        Host::instance().warn(atLine(line) + std::string(where) + " is not a body hostsim places; " + v.name +
                              " is placed relative to the Sun");
    }
}

struct StandardKey {
    const char* key;
    Line line;
};
// Matched as case-insensitive prefixes, in this order, as the simulator does.
constexpr StandardKey kStandardKeys[] = {
    {"STATUS", Line::Status}, {"RPOS", Line::Rpos},         {"RVEL", Line::Rvel},         {"AROT", Line::Arot},
    {"VROT", Line::Vrot},     {"ATTACHED", Line::Attached}, {"DOCKINFO", Line::Dockinfo},
};

}  // namespace

// A host line whose values do not read is noted, so that loading can refuse the scenario.
bool applyStandardLine(Vessel& v, std::string_view line) {
    const StandardKey* match = nullptr;
    for (const StandardKey& k : kStandardKeys)
        if (istartsWith(line, k.key)) {
            match = &k;
            break;
        }
    if (!match) return false;

    Registry& reg = Registry::get();
    const int lineNo = reg.reading ? reg.reading->currentLine : 0;
    std::string_view value = after(line, match->key);
    bool ok = true;
    switch (match->line) {
    case Line::Status:
        readStatus(v, value, lineNo);
        break;
    case Line::Rpos:
        ok = readVector(value, v.pos);
        break;
    case Line::Rvel:
        ok = readVector(value, v.vel);
        break;
    case Line::Arot: {
        VECTOR3 a;
        ok = readVector(value, a);
        if (ok) Host::instance().setAttitude(v.handle, a);
        break;
    }
    case Line::Vrot:
        ok = readVector(value, v.angVel);
        break;
    case Line::Attached: {
        PendingLink link{&v, true, 0, 0, {}, std::string(value), lineNo};
        ok = readLink(value, link.ownIndex, link.otherIndex, link.otherName);
        if (ok) reg.pendingLinks.push_back(link);
        break;
    }
    case Line::Dockinfo: {
        for (std::string_view item : dockItems(value)) {
            PendingLink link{&v, false, 0, 0, {}, std::string(item), lineNo};
            if (readLink(item, link.ownIndex, link.otherIndex, link.otherName)) reg.pendingLinks.push_back(link);
            else ok = false;
        }
        break;
    }
    case Line::Unknown:
        break;
    }
    v.lineOrder.push_back(match->line);
    if (!ok) {
        Host::instance().writeLog("Malformed scenario line for " + v.name + ": " + std::string(line));
        reg.malformedLines.push_back({std::string(line), lineNo});
    }
    return true;
}

namespace {

bool present(const Vessel& v, Line line) { return std::find(v.lineOrder.begin(), v.lineOrder.end(), line) != v.lineOrder.end(); }

// Whether the vessel's state calls for the line now, whether or not its block had it.
bool needed(const Vessel& v, Line line) {
    switch (line) {
    case Line::Status: return present(v, line) || v.status != Vessel::kDefaultStatus;
    case Line::Rpos: return present(v, line) || v.moved;
    case Line::Rvel: return present(v, line) || v.accelerated;
    case Line::Arot: return present(v, line) || v.turned;
    case Line::Vrot: return present(v, line) || v.angVel.x != 0 || v.angVel.y != 0 || v.angVel.z != 0;
    case Line::Attached: return v.attachedTo() || !v.unmadeAttachment.empty();
    case Line::Dockinfo:
        return !v.unmadeDocks.empty() ||
               std::any_of(v.docks.begin(), v.docks.end(), [](const Dock* d) { return d->mate != nullptr; });
    case Line::Unknown: return false;
    }
    return false;
}

// The value of one of the host's lines as the vessel stands now.
std::string standardValue(Vessel& v, Line line) {
    switch (line) {
    case Line::Status: return v.status;
    case Line::Rpos: return formatVector(v.pos);
    case Line::Rvel: return formatVector(v.vel);
    case Line::Arot:
        if (v.arotStale) {
            v.arot = Host::anglesFromRotation(v.rot);
            v.arotStale = false;
        }
        return formatVector(v.arot);
    case Line::Vrot: return formatVector(v.angVel);
    case Line::Attached: {
        const Attachment* up = v.attachedTo();
        if (!up) return v.unmadeAttachment;
        const Vessel& parent = *up->partner->owner;
        auto own = std::find(v.parentPoints.begin(), v.parentPoints.end(), up) - v.parentPoints.begin();
        auto other = std::find(parent.childPoints.begin(), parent.childPoints.end(), up->partner) -
                     parent.childPoints.begin();
        return std::to_string(own) + ":" + std::to_string(other) + "," + parent.name;
    }
    case Line::Dockinfo: {
        std::string items;
        auto add = [&items](const std::string& item) { items += (items.empty() ? "" : " ") + item; };
        for (size_t i = 0; i < v.docks.size(); ++i) {
            const Dock* mate = v.docks[i]->mate;
            if (!mate) continue;
            const auto& mateDocks = mate->owner->docks;
            auto matePort = std::find(mateDocks.begin(), mateDocks.end(), mate) - mateDocks.begin();
            add(std::to_string(i) + ":" + std::to_string(matePort) + "," + mate->owner->name);
        }
        // Links that could not be made stay, unless their port is in use now.
        for (const std::string& item : v.unmadeDocks) {
            UINT own = 0, other = 0;
            std::string name;
            if (readLink(item, own, other, name) && own < v.docks.size() && v.docks[own]->mate) continue;
            add(item);
        }
        return items;
    }
    case Line::Unknown: break;
    }
    return {};
}

const char* keyOf(Line line) {
    for (const StandardKey& k : kStandardKeys)
        if (k.line == line) return k.key;
    return "";
}

}  // namespace

// The lines the block had, in their order, with the host's values as they stand now;
// host lines the vessel's state calls for that the block did not have follow the last
// host line it had.
void writeStandardLines(Vessel& v, ScenarioFile& f) {
    settlePlacement(v);
    auto put = [&f](std::string text) { f.lines.push_back("  " + std::move(text)); };
    std::set<Line> written;
    auto putStandard = [&](Line line) {
        if (!written.insert(line).second || !needed(v, line)) return;
        std::string value = standardValue(v, line);
        if (line == Line::Dockinfo && value.empty()) return;
        put(std::string(keyOf(line)) + " " + value);
    };
    auto putMissing = [&] {
        for (const StandardKey& k : kStandardKeys)
            if (!present(v, k.line)) putStandard(k.line);
    };

    size_t lastHost = 0;
    for (size_t i = 0; i < v.lineOrder.size(); ++i)
        if (v.lineOrder[i] != Line::Unknown) lastHost = i + 1;
    size_t unknown = 0;
    for (size_t i = 0; i <= v.lineOrder.size(); ++i) {
        if (i == lastHost) putMissing();
        if (i == v.lineOrder.size()) break;
        if (v.lineOrder[i] == Line::Unknown) {
            if (unknown < v.unknownLines.size()) put(v.unknownLines[unknown++]);
        } else {
            putStandard(v.lineOrder[i]);
        }
    }
    while (unknown < v.unknownLines.size()) put(v.unknownLines[unknown++]);
}

std::vector<std::string> Host::saveVesselLines(OBJHANDLE handle) {
    Vessel* v = vessel(handle);
    if (!v) return {};
    auto [f, scn] = Registry::get().files.emplace();
    f->writing = true;
    if (VESSEL2* callbacks = v->callbacks()) callbacks->clbkSaveState(scn);
    else writeStandardLines(*v, *f);  // a bare VESSEL saves what the host keeps of it
    std::vector<std::string> lines = std::move(f->lines);
    Registry::get().files.remove(scn);
    return lines;
}

// ---- Whole scenarios ----

namespace {

using Section = Host::Section;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A line without its comment and outer blanks.
std::string_view clean(std::string_view raw) { return trim(raw.substr(0, raw.find(';'))); }

// "BEGIN_MFD Left" ends at "END_MFD", "END_MFD Left" or, where the simulator writes
// it so, a bare "END".
bool endsSection(std::string_view raw, std::string_view tag, bool bareEnd) {
    std::string_view line = clean(raw);
    if (bareEnd && iequals(line, "END")) return true;
    if (!istartsWith(line, "END_") || !istartsWith(line.substr(4), tag)) return false;
    std::string_view rest = line.substr(4 + tag.size());
    return rest.empty() || rest.front() == ' ' || rest.front() == '\t';
}

// A line that opens one of the sections the host reads itself.
bool opensKnownSection(std::string_view item) {
    if (!istartsWith(item, "BEGIN_")) return false;
    const std::string_view tag = firstWord(item.substr(6));
    return iequals(tag, "DESC") || iequals(tag, "ENVIRONMENT") || iequals(tag, "FOCUS") || iequals(tag, "SHIPS");
}

struct DateScale {
    const char* name;
    double (*toMjd)(double);
    double (*fromMjd)(double);
};
constexpr DateScale kDateScales[] = {
    {"MJD", [](double d) { return d; }, [](double mjd) { return mjd; }},
    {"JD", [](double d) { return d - 2400000.5; }, [](double mjd) { return mjd + 2400000.5; }},
    // Julian epoch: years of 365.25 days from J2000.0.
    {"JE", [](double d) { return 51544.5 + (d - 2000.0) * 365.25; }, [](double mjd) { return 2000.0 + (mjd - 51544.5) / 365.25; }},
};

const DateScale* dateScale(std::string_view name) {
    for (const DateScale& s : kDateScales)
        if (iequals(name, s.name)) return &s;
    return nullptr;
}

// The scenario file's lines, without a byte-order mark and without the carriage
// returns before a line end: a CRLF line end, and stray ones more, which no save
// could write back at the end of a line.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (nl == std::string_view::npos) break;
        text.remove_prefix(nl + 1);
    }
    return lines;
}

}  // namespace

// "Name:Class" of a class that has a configuration: a vessel's first line, which no
// vessel's own lines look like.
bool Host::looksLikeVesselHead(std::string_view line) {
    const auto colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0 || line.find_first_of(" \t") != std::string_view::npos) return false;
    return readClass(std::string(line.substr(colon + 1))) != nullptr;
}

// Every class without a configuration file and every module that cannot be loaded,
// in one message; with unknown classes loaded as plain vessels, warnings instead.
std::string Host::checkClasses(const std::vector<VesselBlock>& blocks, const std::vector<int>& headLines) {
    std::string problems;
    int count = 0;
    // The lines that name each class, gathered in one pass: a scenario may name
    // thousands of classes.
    std::unordered_map<std::string, std::string> usesOf;
    for (size_t b = 0; b < blocks.size(); ++b) {
        std::string& uses = usesOf[lowered(blocks[b].className)];
        uses += (uses.empty() ? "" : ", ") + std::to_string(headLines[b]);
    }
    std::set<std::string> seen;
    for (size_t a = 0; a < blocks.size(); ++a) {
        const std::string& name = blocks[a].className;
        if (!seen.insert(lowered(name)).second) continue;
        std::string why;
        if (const VesselClass* cls = readClass(name)) {
            const Module* module = cls->moduleName.empty() ? nullptr : loadModule(cls->moduleName, &why);
            // A library that makes no vessels is no vessel module, however well it loads.
            if (module && !module->ovcInit)
                why = module->path.string() + " is a shared library but no vessel module (it has no ovcInit)";
            if (cls->moduleName.empty() || (module && module->ovcInit)) continue;
            why = "its module " + cls->moduleName + " cannot be loaded: " + why;
        } else {
            why = "no configuration file; looked for " + classSearchPaths(name);
        }
        const std::string& uses = usesOf[lowered(name)];
        const std::string where = name + " (line" + (uses.find(',') == std::string::npos ? " " : "s ") + uses + ")";
        if (unknownClass_ == UnknownClass::Plain) {
            warn("vessel class " + where + " loads as plain vessels: " + why);
        } else {
            ++count;
            problems += "\n  " + where + ": " + why;
        }
    }
    if (!count) return {};
    return std::to_string(count) + (count == 1 ? " vessel class cannot" : " vessel classes cannot") +
           " be loaded (--unknown-class plain loads their vessels as plain vessels):" + problems;
}

std::string Host::loadScenario(const std::filesystem::path& file) {
    std::string text;
    if (std::string why = readInputFile(file, text); !why.empty()) return why;
    return loadScenarioText(text);
}

std::string Host::loadScenarioText(const std::string& fileText) {
    scenario_ = ScenarioInfo{};
    std::string_view text = fileText;
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        scenario_.byteOrderMark = true;
        text.remove_prefix(kByteOrderMark.size());
    }
    const size_t firstEnd = text.find('\n');
    if (firstEnd != std::string_view::npos && firstEnd > 0 && text[firstEnd - 1] == '\r') scenario_.lineEnd = "\r\n";
    const std::vector<std::string_view> lines = splitLines(text);
    auto where = [](size_t i) { return atLine(int(i + 1)); };
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].find('\0') != std::string_view::npos)
            return where(i) + "holds a NUL byte: a scenario is a text file";

    std::vector<VesselBlock> blocks;
    std::vector<int> headLines;
    std::string focusName;
    std::map<Section::Kind, int> firstSectionLines;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = clean(lines[i]);
        if (line.empty()) continue;
        if (!istartsWith(line, "BEGIN_")) return where(i) + "unexpected \"" + std::string(line) + "\"";
        const std::string_view tag = firstWord(line.substr(6));
        const size_t begin = i;
        Section section;
        section.kind = iequals(tag, "DESC")          ? Section::Kind::Description
                       : iequals(tag, "ENVIRONMENT") ? Section::Kind::Environment
                       : iequals(tag, "FOCUS")       ? Section::Kind::Focus
                       : iequals(tag, "SHIPS")       ? Section::Kind::Ships
                                                     : Section::Kind::Other;
        // The date, the focus and the ships are written back into their one section.
        if (section.kind == Section::Kind::Environment || section.kind == Section::Kind::Focus ||
            section.kind == Section::Kind::Ships) {
            const auto [first, fresh] = firstSectionLines.try_emplace(section.kind, int(i + 1));
            if (!fresh)
                return where(i) + "a second " + std::string(line) + " (the first is at line " +
                       std::to_string(first->second) + ")";
        }
        const bool bareEnd = section.kind == Section::Kind::Other;
        auto unclosed = [&] { return where(begin) + std::string(line) + " has no END_" + std::string(tag); };

        if (section.kind == Section::Kind::Other) section.lines.emplace_back(lines[i]);
        bool cutShort = false;
        for (++i; i < lines.size() && !endsSection(lines[i], tag, bareEnd); ++i) {
            std::string_view item = clean(lines[i]);
            switch (section.kind) {
            case Section::Kind::Description:
                section.lines.emplace_back(lines[i]);
                break;
            case Section::Kind::Other:
                // The simulator finds each section it knows by its tag, so a malformed
                // section ends where one of those begins.
                if (opensKnownSection(item)) {
                    warn(where(begin) + std::string(line) + " has no END_" + std::string(tag) + "; it ends before " +
                         std::string(item) + " of line " + std::to_string(i + 1));
                    cutShort = true;
                    break;
                }
                section.lines.emplace_back(lines[i]);
                break;
            case Section::Kind::Environment:
                if (item.empty()) break;
                if (istartsWith(item, "System")) scenario_.system = std::string(after(item, "System"));
                if (istartsWith(item, "Date")) {
                    scenario_.dateItem = int(section.lines.size());
                    std::string_view rest = after(item, "Date");
                    const DateScale* scale = dateScale(firstWord(rest));
                    if (scale) rest = after(rest, firstWord(rest));
                    else scale = &kDateScales[0];
                    scenario_.dateScale = scale->name;
                    double value;
                    if (readNumbers(rest, &value, 1) != 1)
                        warn(where(i) + "\"" + std::string(item) + "\" gives no date; the date stays MJD " +
                             formatNumber(startMjd_));
                    else if (const double mjd = scale->toMjd(value); !(std::fabs(mjd) <= kMaxAbsMjd))
                        warn(where(i) + "\"" + std::string(item) + "\" is further from MJD 0 than " +
                             formatNumber(kMaxAbsMjd) + " days, where hostsim places the bodies; the date stays MJD " +
                             formatNumber(startMjd_));
                    else
                        startMjd_ = mjd;
                }
                section.lines.emplace_back(item);
                break;
            case Section::Kind::Focus:
                if (item.empty()) break;
                if (istartsWith(item, "Ship")) focusName = std::string(after(item, "Ship"));
                section.lines.emplace_back(item);
                break;
            case Section::Kind::Ships: {
                if (item.empty()) break;
                VesselBlock block;
                const auto colon = item.find(':');
                block.name = std::string(trim(item.substr(0, colon)));
                block.className = colon == std::string_view::npos ? block.name : std::string(trim(item.substr(colon + 1)));
                if (block.name.empty() || block.className.empty())
                    return where(i) + "expected Name:Class or Name, found \"" + std::string(item) + "\"";
                const size_t head = i;
                for (++i; i < lines.size() && !iequals(clean(lines[i]), "END"); ++i) {
                    if (endsSection(lines[i], tag, false))
                        return where(head) + "vessel " + block.name + " has no END before " + std::string(clean(lines[i]));
                    if (looksLikeVesselHead(clean(lines[i])))
                        return where(head) + "vessel " + block.name + " has no END before the vessel \"" +
                               std::string(clean(lines[i])) + "\" of line " + std::to_string(i + 1);
                    block.lines.emplace_back(lines[i]);
                    block.lineNumbers.push_back(int(i + 1));
                }
                if (i >= lines.size()) return where(head) + "vessel " + block.name + " has no END";
                blocks.push_back(std::move(block));
                headLines.push_back(int(head + 1));
                break;
            }
            }
            if (cutShort) break;
        }
        if (cutShort) {
            // Blank lines before the next section are the writer's to put, as between any two.
            while (clean(section.lines.back()).empty()) section.lines.pop_back();
            scenario_.sections.push_back(std::move(section));
            --i;  // the known section's line is read again, as its own section
            continue;
        }
        if (i >= lines.size()) return unclosed();
        if (section.kind == Section::Kind::Other) section.lines.emplace_back(lines[i]);
        scenario_.sections.push_back(std::move(section));
    }

    // Names are unique, ignoring case.
    std::unordered_map<std::string, size_t> firstNamed;
    for (size_t a = 0; a < blocks.size(); ++a) {
        if (vesselByName(blocks[a].name)) return atLine(headLines[a]) + "a vessel named " + blocks[a].name + " exists already";
        auto [first, fresh] = firstNamed.emplace(lowered(blocks[a].name), a);
        if (!fresh)
            return atLine(headLines[a]) + "a vessel named " + blocks[a].name + " exists already (line " +
                   std::to_string(headLines[first->second]) + ")";
    }

    if (std::string error = checkClasses(blocks, headLines); !error.empty()) return error;

    auto& malformed = Registry::get().malformedLines;
    for (size_t a = 0; a < blocks.size(); ++a) {
        malformed.clear();
        if (!createVessel(blocks[a])) return atLine(headLines[a]) + "vessel " + blocks[a].name + " was not created";
        if (!malformed.empty())
            return atLine(malformed.front().line) + "malformed line of " + blocks[a].name + ": \"" +
                   malformed.front().text + "\"";
    }
    resolvePendingLinks();
    if (!focusName.empty()) {
        if (Vessel* f = vesselByName(focusName)) focus_ = f->handle;
        else warn("the focus vessel " + focusName + " is not in the scenario");
    }
    if (!focus_ && !order_.empty()) focus_ = order_.front()->handle;
    for (Vessel* v : order_)
        if (VESSEL2* callbacks = v->callbacks()) callbacks->clbkPostCreation();
    return {};
}

std::string Host::saveScenarioText() {
    // A turned vessel's attitude is written as angles, from which a reload places its
    // children: it takes the attitude it writes first, so that the save loads back to
    // the same text and the run goes on as a reload of the save would.
    for (Vessel* v : order_)
        if (v->arotStale && !v->attachedTo()) setAttitude(v->handle, anglesFromRotation(v->rot));

    std::string out;
    const std::string& nl = scenario_.lineEnd;
    if (scenario_.byteOrderMark) out += kByteOrderMark;
    auto line = [&](std::string_view text) {
        out += text;
        out += nl;
    };
    auto ships = [&] {
        line("BEGIN_SHIPS");
        for (Vessel* v : order_) {
            line(v->name + ":" + v->className);
            for (const auto& l : saveVesselLines(v->handle)) line(l);
            line("END");
        }
        line("END_SHIPS");
    };

    bool shipsWritten = false;
    for (size_t s = 0; s < scenario_.sections.size(); ++s) {
        const Section& section = scenario_.sections[s];
        if (s > 0) line("");
        switch (section.kind) {
        case Section::Kind::Description:
            line("BEGIN_DESC");
            for (const auto& l : section.lines) line(l);
            line("END_DESC");
            break;
        case Section::Kind::Environment:
            line("BEGIN_ENVIRONMENT");
            for (size_t i = 0; i < section.lines.size(); ++i) {
                if (int(i) == scenario_.dateItem) {
                    const DateScale* scale = dateScale(scenario_.dateScale);
                    line("  Date " + scenario_.dateScale + " " + formatNumber(scale->fromMjd(mjd())));
                } else {
                    line("  " + section.lines[i]);
                }
            }
            line("END_ENVIRONMENT");
            break;
        case Section::Kind::Focus: {
            line("BEGIN_FOCUS");
            const Vessel* f = vessel(focus_);
            for (const auto& l : section.lines) line("  " + (istartsWith(l, "Ship") && f ? "Ship " + f->name : l));
            line("END_FOCUS");
            break;
        }
        case Section::Kind::Ships:
            ships();
            shipsWritten = true;
            break;
        case Section::Kind::Other:
            for (const auto& l : section.lines) line(l);
            break;
        }
    }
    if (!shipsWritten && !order_.empty()) {
        if (!out.empty()) line("");
        ships();
    }
    return out;
}

}  // namespace hostsim
