// The user manual's tables against what the modules do: keys, scenario lines,
// attachment points, masses, docking ports and mesh sizes. A table that goes stale fails.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "HostTest.h"
#include "hostsim/Scene.h"

namespace {

using Row = std::map<std::string, std::string>;  // cell by its column's heading

std::string trimmed(std::string s) {
    s.erase(0, s.find_first_not_of(" `"));
    s.erase(s.find_last_not_of(" `") + 1);
    return s;
}

// The first table after the given headings, met in that order.
std::vector<Row> manualTable(const std::vector<std::string>& headings) {
    std::ifstream in(std::string(HOSTSIM_SOURCE_DIR) + "/docs/manual/Spanrig.md");
    std::string line;
    size_t found = 0;
    std::vector<std::string> columns;
    std::vector<Row> rows;
    while (std::getline(in, line)) {
        if (found < headings.size()) {
            if (line == headings[found]) ++found;
            continue;
        }
        if (line.rfind('|', 0) != 0) {
            if (columns.empty()) continue;
            break;
        }
        std::vector<std::string> cells;
        std::istringstream parts(line.substr(1));
        for (std::string cell; std::getline(parts, cell, '|');) cells.push_back(trimmed(cell));
        if (columns.empty()) columns = cells;
        else if (cells[0].find("---") == std::string::npos) {
            Row row;
            for (size_t i = 0; i < columns.size() && i < cells.size(); ++i) row[columns[i]] = cells[i];
            rows.push_back(row);
        }
    }
    EXPECT_FALSE(rows.empty()) << "no table after " << headings.back();
    return rows;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Numbers of a text such as "(0 or ±5.82, ±1.035, 0)" or "1890 + 350 n", minus signs
// written as "−" included.
std::string plainMinus(std::string s) {
    for (size_t at; (at = s.find("−")) != std::string::npos;) s.replace(at, std::string("−").size(), "-");
    return s;
}

// The vectors a cell stands for: "±" and "or" give each choice; none when the cell is
// not a plain vector.
std::set<std::vector<double>> vectorsOf(const std::string& cell) {
    std::string text = plainMinus(cell);
    if (text.empty() || text.front() != '(' || std::count(text.begin(), text.end(), '(') != 1) return {};
    text = text.substr(0, text.find(')') + 1);
    std::set<std::vector<double>> vectors{{}};
    std::istringstream coords(text.substr(1, text.size() - 2));
    for (std::string coord; std::getline(coords, coord, ',');) {
        std::vector<double> choices;
        std::istringstream alternatives(coord);
        for (std::string word; alternatives >> word;) {
            if (word == "or") continue;
            const bool both = word.rfind("±", 0) == 0;
            const double value = std::stod(both ? word.substr(std::string("±").size()) : word);
            choices.push_back(value);
            if (both) choices.push_back(-value);
        }
        std::set<std::vector<double>> longer;
        for (const auto& v : vectors)
            for (double c : choices) {
                auto w = v;
                w.push_back(c);
                longer.insert(w);
            }
        vectors = longer;
    }
    return vectors;
}

std::vector<double> rounded(const VECTOR3& v) {
    auto r = [](double x) { return std::round(x * 1000) / 1000 + 0.0; };
    return {r(v.x), r(v.y), r(v.z)};
}

std::set<std::vector<double>> roundedAll(const std::set<std::vector<double>>& vs) {
    std::set<std::vector<double>> out;
    for (const auto& v : vs) out.insert(rounded(_V(v[0], v[1], v[2])));
    return out;
}

// The segment types a cell of the vessel column names.
std::vector<int> typesNamed(const std::string& cell) {
    static const std::vector<std::pair<std::string, int>> names = {
        {"base segment", 2},      {"6 m segment", 6},       {"12 m segment", 12},
        {"18 m segment", 18},     {"radiator segment", 61}, {"solar segment", 63}};
    if (cell == "every segment" || cell == "all") return {2, 6, 12, 18, 61, 63};
    std::vector<int> types;
    for (const auto& [name, type] : names)
        if (contains(cell, name)) types.push_back(type);
    std::istringstream numbers(cell);
    for (std::string word; std::getline(numbers, word, ',');) {
        word = trimmed(word);
        if (!word.empty() && word.find_first_not_of("0123456789") == std::string::npos) types.push_back(std::stoi(word));
    }
    return types;
}

constexpr int kCarrierSegments = 3;

constexpr DWORD kLetters[26] = {OAPI_KEY_A, OAPI_KEY_B, OAPI_KEY_C, OAPI_KEY_D, OAPI_KEY_E, OAPI_KEY_F, OAPI_KEY_G,
                                OAPI_KEY_H, OAPI_KEY_I, OAPI_KEY_J, OAPI_KEY_K, OAPI_KEY_L, OAPI_KEY_M, OAPI_KEY_N,
                                OAPI_KEY_O, OAPI_KEY_P, OAPI_KEY_Q, OAPI_KEY_R, OAPI_KEY_S, OAPI_KEY_T, OAPI_KEY_U,
                                OAPI_KEY_V, OAPI_KEY_W, OAPI_KEY_X, OAPI_KEY_Y, OAPI_KEY_Z};

class Manual : public HostTest {
protected:
    OBJHANDLE segment(int type, std::vector<std::string> lines = {}) {
        lines.insert(lines.begin(), "TYPE " + std::to_string(type));
        return make("Seg" + std::to_string(++made_), "Truss", lines);
    }
    OBJHANDLE carrier(std::vector<std::string> lines = {"SEGS " + std::to_string(kCarrierSegments)}) {
        return make("Carrier" + std::to_string(++made_), "Haulbed", lines);
    }
    // The module's lines of a vessel's saved block, as "KEY value".
    std::set<std::string> moduleLines(OBJHANDLE h) {
        static const char* const hostKeys[] = {"STATUS", "RPOS", "RVEL", "AROT", "VROT", "ATTACHED", "DOCKINFO"};
        std::set<std::string> lines;
        for (std::string line : host().saveVesselLines(h)) {
            line = trimmed(line);
            bool hostLine = false;
            for (const char* key : hostKeys) hostLine = hostLine || line.rfind(key, 0) == 0;
            if (!hostLine) lines.insert(line);
        }
        return lines;
    }
    static std::string keyOf(const std::string& line) { return line.substr(0, line.find(' ')); }
    int made_ = 0;
};

// Every letter and Space, with and without Ctrl: the vessel answers exactly the keys its
// table lists (it takes the key, or opens the command box, which the simulator's own
// handling of the key follows).
TEST_F(Manual, keys_tables_list_exactly_the_keys_each_vessel_answers) {
    const std::vector<std::pair<std::string, std::string>> vessels = {
        {"## The truss segment (class `Truss`)", "Truss"}, {"## The carrier (class `Haulbed`)", "Haulbed"}};
    for (const auto& [heading, className] : vessels) {
        std::set<std::string> listed;
        for (const Row& row : manualTable({heading, "### Keys"})) listed.insert(row.at("key"));
        std::set<std::string> answered;
        for (int i = 0; i <= 26; ++i) {
            const std::string name = i < 26 ? std::string(1, char('A' + i)) : "Space";
            const DWORD code = i < 26 ? kLetters[i] : OAPI_KEY_SPACE;
            for (bool ctrl : {false, true}) {
                host().reset();
                host().setRoot(HOSTSIM_TEST_ROOT);
                OBJHANDLE h = className == "Truss" ? segment(63) : carrier();
                host().setFocus(h);
                const std::vector<DWORD> held = ctrl ? std::vector<DWORD>{OAPI_KEY_LCONTROL} : std::vector<DWORD>{};
                const bool took = host().pressKey(code, held) == 1;
                if (took || host().pendingInputBox()) answered.insert((ctrl ? "Ctrl+" : "") + name);
            }
        }
        EXPECT_EQ(answered, listed) << className;
    }
}

// A segment of each type saves the lines its table says, with the values it has when
// the scenario gave none; a line that is written only while something holds is written
// back when it was read, and only by the types it is written for.
TEST_F(Manual, truss_lines_table_says_what_each_type_writes) {
    const std::vector<Row> rows = manualTable({"## Scenario lines", "### Truss"});
    EXPECT_EQ(moduleLines(make("Bare", "Truss")), (std::set<std::string>{"TYPE 6"}));
    for (int type : {2, 6, 12, 18, 61, 63}) {
        std::set<std::string> expected;
        for (const Row& row : rows) {
            const std::vector<int> types = typesNamed(row.at("types"));
            const bool forType = std::find(types.begin(), types.end(), type) != types.end();
            const std::string key = row.at("line");
            if (key == "TYPE") expected.insert("TYPE " + std::to_string(type));
            else if (forType && row.at("written") == "always") expected.insert(key + " " + row.at("when missing"));
            if (row.at("written").rfind("while", 0) == 0 || row.at("written") == "never") {
                std::set<std::string> keys;
                for (const std::string& line : moduleLines(segment(type, {key}))) keys.insert(keyOf(line));
                EXPECT_EQ(keys.count(key), forType && row.at("written") != "never" ? 1u : 0u) << key << " on type " << type;
            }
        }
        EXPECT_EQ(moduleLines(segment(type)), expected) << "type " << type;
    }
}

TEST_F(Manual, carrier_lines_table_says_what_a_carrier_writes) {
    std::set<std::string> always;
    for (const Row& row : manualTable({"## Scenario lines", "### Haulbed"})) {
        if (row.at("written") == "always") always.insert(row.at("line") + " " + row.at("when missing"));
        else {
            std::set<std::string> keys;
            for (const std::string& line : moduleLines(carrier({row.at("line")}))) keys.insert(keyOf(line));
            EXPECT_EQ(keys.count(row.at("line")), 1u) << row.at("line");
        }
    }
    EXPECT_EQ(moduleLines(carrier({})), always);
}

TEST_F(Manual, attachment_points_table_matches_the_points_each_vessel_has) {
    for (const Row& row : manualTable({"### Attachment points"})) {
        const bool isCarrier = row.at("vessel") == "carrier";
        std::vector<OBJHANDLE> vessels;
        if (isCarrier) vessels.push_back(carrier());
        for (int type : isCarrier ? std::vector<int>{} : typesNamed(row.at("vessel"))) vessels.push_back(segment(type));
        ASSERT_FALSE(vessels.empty()) << row.at("vessel");
        const bool parent = row.at("hangs from a parent, or holds a child") == "parent";
        const std::string& howMany = row.at("how many");
        const size_t count = contains(howMany, "per segment") ? std::stoul(howMany) * kCarrierSegments : std::stoul(howMany);
        for (OBJHANDLE h : vessels) {
            std::set<std::vector<double>> positions, directions;
            size_t n = 0;
            for (const hostsim::Attachment* a : parent ? v(h).parentPoints : v(h).childPoints)
                if (a->id == row.at("id")) {
                    ++n;
                    positions.insert(rounded(a->pos));
                    directions.insert(rounded(a->dir));
                }
            const std::string what = row.at("vessel") + " " + row.at("id") + " on " + v(h).name;
            EXPECT_EQ(n, count) << what;
            if (auto listed = vectorsOf(row.at("position (m)")); !listed.empty()) {
                EXPECT_EQ(positions, roundedAll(listed)) << what;
            }
            if (auto listed = vectorsOf(row.at("direction")); !listed.empty()) {
                EXPECT_EQ(directions, roundedAll(listed)) << what;
            }
        }
    }
}

TEST_F(Manual, masses_and_ports_table_matches_each_vessel) {
    for (const Row& row : manualTable({"### Masses and docking ports"})) {
        const std::string& vessel = row.at("vessel");
        const bool isCarrier = contains(vessel, "carrier");
        OBJHANDLE h = isCarrier ? carrier() : segment(std::stoi(vessel.substr(vessel.find('(') + 1)));
        double mass = std::stod(row.at("empty mass (kg)"));
        if (isCarrier) {
            const std::string formula = row.at("empty mass (kg)");
            mass += std::stod(formula.substr(formula.find('+') + 1)) * kCarrierSegments;
        }
        EXPECT_DOUBLE_EQ(v(h).emptyMass, mass) << vessel;
        EXPECT_EQ(v(h).docks.size(), std::stoul(row.at("docking ports"))) << vessel;
    }
}

TEST_F(Manual, meshes_table_gives_each_meshs_size) {
    for (const Row& row : manualTable({"### Meshes"})) {
        std::string error;
        auto mesh = hostsim::loadMeshFile(hostsim::meshFilePath(row.at("mesh")), error);
        ASSERT_TRUE(mesh) << row.at("mesh") << ": " << error;
        double low[3] = {INFINITY, INFINITY, INFINITY}, high[3] = {-INFINITY, -INFINITY, -INFINITY};
        for (const auto& group : mesh->groups)
            for (const VECTOR3& p : group.vertices)
                for (int i = 0; i < 3; ++i) low[i] = std::min(low[i], p.data[i]), high[i] = std::max(high[i], p.data[i]);
        std::istringstream sizes(row.at("size (m)"));
        std::string times;
        for (int i = 0; i < 3; ++i) {
            double size = 0;
            sizes >> size;
            if (i < 2) sizes >> times;
            EXPECT_NEAR(high[i] - low[i], size, 0.006) << row.at("mesh") << " axis " << i;
        }
    }
}

}  // namespace
