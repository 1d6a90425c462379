// The text mesh format: reading it defensively, and a cache of the files read.
#include <charconv>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <system_error>
#include <type_traits>

#include "Text.h"
#include "hostsim/Host.h"
#include "hostsim/Scene.h"

namespace hostsim {

namespace {

// Limits that keep a hostile file from asking for absurd amounts of memory; counts
// are checked against the lines that really follow before anything is reserved.
constexpr size_t kMaxGroups = 1'000'000;
constexpr std::uintmax_t kMaxFileBytes = 512u << 20;
constexpr size_t kMaxVertexNumbers = 8;  // x y z nx ny nz u v

class Lines {
public:
    explicit Lines(std::string_view text) : text_(text) {}

    // The next line that holds anything besides blanks and a ';' comment.
    bool next(std::string_view& line) {
        while (pos_ < text_.size()) {
            size_t end = text_.find('\n', pos_);
            if (end == std::string_view::npos) end = text_.size();
            std::string_view raw = text_.substr(pos_, end - pos_);
            pos_ = end + 1;
            ++number_;
            raw = trim(raw.substr(0, raw.find(';')));
            if (!raw.empty()) {
                line = raw;
                return true;
            }
        }
        return false;
    }
    size_t number() const { return number_; }
    // An upper bound on the lines still to come, for sizing before reading them.
    size_t remainingBound() const { return remainingChars() / 2 + 1; }
    size_t remainingChars() const { return pos_ >= text_.size() ? 0 : text_.size() - pos_; }

private:
    std::string_view text_;
    size_t pos_ = 0;
    size_t number_ = 0;
};

std::string_view firstWord(std::string_view line, std::string_view& rest) {
    size_t end = line.find_first_of(" \t");
    if (end == std::string_view::npos) {
        rest = {};
        return line;
    }
    rest = trim(line.substr(end));
    return line.substr(0, end);
}

// Reads up to `max` blank-separated numbers; false if a word is not a finite number or
// there are more than `max`.
template <typename T>
bool readAll(std::string_view s, T* out, size_t max, size_t& count) {
    count = 0;
    while (true) {
        size_t b = s.find_first_not_of(" \t");
        if (b == std::string_view::npos) return true;
        s.remove_prefix(b);
        size_t e = s.find_first_of(" \t");
        std::string_view word = s.substr(0, e);
        if (count == max) return false;
        T value{};
        auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
        if (ec != std::errc() || end != word.data() + word.size()) return false;
        if constexpr (std::is_floating_point_v<T>)
            if (!std::isfinite(value)) return false;
        out[count++] = value;
        if (e == std::string_view::npos) return true;
        s.remove_prefix(e);
    }
}

template <typename T>
bool readOne(std::string_view s, T& out) {
    size_t n;
    return readAll(s, &out, 1, n) && n == 1;
}

class Parser {
public:
    explicit Parser(std::string_view text) : lines_(text) {}

    std::shared_ptr<const MeshData> run(std::string& error) {
        auto data = std::make_shared<MeshData>();
        if (!parse(*data)) {
            error = "line " + std::to_string(lines_.number()) + ": " + error_;
            return nullptr;
        }
        error.clear();
        return data;
    }

private:
    bool fail(std::string why) {
        error_ = std::move(why);
        return false;
    }

    bool parse(MeshData& data) {
        std::string_view line, rest;
        if (!lines_.next(line) || line != "MSHX1") return fail("expected MSHX1");
        size_t groups = 0;
        if (!lines_.next(line) || !iequals(firstWord(line, rest), "GROUPS") || !readOne(rest, groups))
            return fail("expected GROUPS and a count");
        if (groups > kMaxGroups || groups > lines_.remainingBound()) return fail("group count too large for the file");
        data.groups.resize(groups);
        for (MeshGroupData& g : data.groups)
            if (!parseGroup(g)) return false;
        while (lines_.next(line)) {
            std::string_view word = firstWord(line, rest);
            if (iequals(word, "MATERIALS")) {
                if (!parseMaterials(data, rest)) return false;
            } else if (iequals(word, "TEXTURES")) {
                size_t n = 0;
                if (!readOne(rest, n) || n > lines_.remainingBound()) return fail("bad texture count");
                for (size_t i = 0; i < n; ++i)
                    if (!lines_.next(line)) return fail("texture list ends early");
            } else {
                return fail("unexpected '" + std::string(word.substr(0, 40)) + "' after the groups");
            }
        }
        return true;
    }

    bool parseGroup(MeshGroupData& g) {
        std::string_view line, rest;
        while (true) {
            if (!lines_.next(line)) return fail("file ends before GEOM");
            std::string_view word = firstWord(line, rest);
            if (iequals(word, "LABEL")) {
                g.label = rest;
            } else if (iequals(word, "MATERIAL")) {
                if (!readOne(rest, g.material)) return fail("bad material index");
            } else if (iequals(word, "TEXTURE") || iequals(word, "FLAG") || iequals(word, "TEXWRAP") ||
                       iequals(word, "ZBIAS") || iequals(word, "NONORMAL")) {
                // Textures, flags and normals play no part in the host's flat pictures.
            } else if (iequals(word, "GEOM")) {
                return parseGeometry(g, rest);
            } else {
                return fail("unexpected '" + std::string(word.substr(0, 40)) + "' before GEOM");
            }
        }
    }

    bool parseGeometry(MeshGroupData& g, std::string_view counts) {
        size_t n[2], got = 0;
        if (!readAll(counts, n, 2, got) || got != 2) return fail("GEOM needs a vertex and a triangle count");
        const size_t nv = n[0], nt = n[1];
        // Vertex and triangle lines take at least six characters each ("0 0 0" and a
        // line end), so larger counts cannot be honest.
        constexpr size_t kShortestLine = 6;
        const size_t room = (lines_.remainingChars() + 1) / kShortestLine;
        if (nv > room || nt > room || nv + nt > room) return fail("GEOM counts exceed the file");
        g.vertices.reserve(nv);
        g.triangles.reserve(nt);
        std::string_view line;
        for (size_t i = 0; i < nv; ++i) {
            double v[kMaxVertexNumbers];
            if (!lines_.next(line)) return fail("vertex list ends early");
            if (!readAll(line, v, kMaxVertexNumbers, got) || got < 3) return fail("vertex needs x y z");
            g.vertices.push_back(_V(v[0], v[1], v[2]));
        }
        for (size_t i = 0; i < nt; ++i) {
            UINT t[3];
            if (!lines_.next(line)) return fail("triangle list ends early");
            if (!readAll(line, t, 3, got) || got != 3) return fail("triangle needs three vertex indices");
            if (t[0] >= nv || t[1] >= nv || t[2] >= nv) return fail("triangle index out of range");
            g.triangles.push_back({t[0], t[1], t[2]});
        }
        return true;
    }

    bool parseMaterials(MeshData& data, std::string_view count) {
        size_t n = 0;
        if (!readOne(count, n) || n > lines_.remainingBound()) return fail("bad material count");
        std::string_view line, rest;
        for (size_t i = 0; i < n; ++i)
            if (!lines_.next(line)) return fail("material list ends early");
        data.materials.resize(n);
        for (Colour& c : data.materials) {
            if (!lines_.next(line) || !iequals(firstWord(line, rest), "MATERIAL")) return fail("expected MATERIAL");
            // Diffuse, ambient, specular (with its power) and emissive colours.
            for (int k = 0; k < 4; ++k) {
                double v[5];
                size_t got = 0;
                if (!lines_.next(line) || !readAll(line, v, 5, got) || got < 3) return fail("bad material colour");
                if (k == 0) c = Colour{float(v[0]), float(v[1]), float(v[2])};
            }
        }
        return true;
    }

    Lines lines_;
    std::string error_;
};

struct CacheEntry {
    std::filesystem::file_time_type time;
    std::uintmax_t size = 0;
    std::shared_ptr<const MeshData> data;
    std::string error;
};

std::map<std::string, CacheEntry>& cache() {
    static auto& entries = *new std::map<std::string, CacheEntry>;  // see Host::instance
    return entries;
}

}  // namespace

Colour MeshData::colourOf(const MeshGroupData& group) const {
    if (group.material >= 1 && group.material <= materials.size()) return materials[group.material - 1];
    return Colour{};
}

std::shared_ptr<const MeshData> parseMesh(std::string_view text, std::string& error) {
    return Parser(text).run(error);
}

std::shared_ptr<const MeshData> loadMeshFile(const std::filesystem::path& file, std::string& error) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        error = "not found";
        return nullptr;
    }
    const auto time = std::filesystem::last_write_time(file, ec);
    const auto size = std::filesystem::file_size(file, ec);
    if (ec) {
        error = "cannot be read";
        return nullptr;
    }
    CacheEntry& entry = cache()[file.string()];
    if (entry.time == time && entry.size == size && (entry.data || !entry.error.empty())) {
        error = entry.error;
        return entry.data;
    }
    entry = CacheEntry{time, size, nullptr, {}};
    if (size > kMaxFileBytes) {
        entry.error = "too large";
    } else {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        if (!in && !in.eof())
            entry.error = "cannot be read";
        else
            entry.data = parseMesh(text.str(), entry.error);
    }
    // Reported once per version of the file, however often it is asked for.
    if (!entry.data) Host::instance().writeLog("Mesh file unreadable: " + file.string() + ": " + entry.error);
    error = entry.error;
    return entry.data;
}

std::filesystem::path meshFilePath(const std::string& meshName) {
    std::string rel = meshName;
    for (char& c : rel)
        if (c == '\\') c = '/';
    return Host::instance().root() / "Meshes" / (rel + ".msh");
}

}  // namespace hostsim
