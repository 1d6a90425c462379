// Compiled resources as the resource compiler writes them: the resource image (.res)
// and the dialog templates in it (DLGTEMPLATE, DLGTEMPLATEEX). Every field is read in
// order through a cursor that knows where its bytes end, so damaged data is refused
// with the offset where it went wrong and is never read past.
#include <cstdint>

#include "Text.h"
#include "hostsim/Dialogs.h"

namespace hostsim {

namespace {

// The fixed part of a resource entry's header: DataSize, HeaderSize, TYPE and NAME as
// numbers (4 bytes each), DataVersion, MemoryFlags, LanguageId, Version, Characteristics.
constexpr std::size_t kSmallestEntryHeader = 32;

// A number where a text could stand (sz_Or_Ord) starts with this word.
constexpr WORD kNumberMark = 0xFFFF;

// An extended template opens with its version and this signature.
constexpr WORD kExtendedVersion = 1;
constexpr WORD kExtendedSignature = 0xFFFF;

// The window system's own control classes, by the atom a template may give instead of
// the name. The up-down control has no atom; templates always name it.
struct SystemClass {
    WORD atom;
    const char* name;
};
constexpr SystemClass kSystemClasses[] = {
    {0x0080, "Button"}, {0x0081, "Edit"},      {0x0082, "Static"}, {0x0083, "ListBox"},
    {0x0084, "ScrollBar"}, {0x0085, "ComboBox"}, {0, UPDOWN_CLASS},
};

constexpr std::size_t roundUpToDword(std::size_t n) { return (n + 3) & ~std::size_t(3); }

// UTF-16 code units to UTF-8; a surrogate without its partner becomes '?'.
void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

std::string utf8FromUtf16(const std::vector<char16_t>& units) {
    std::string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        char16_t u = units[i];
        bool high = u >= 0xD800 && u <= 0xDBFF;
        bool low = u >= 0xDC00 && u <= 0xDFFF;
        if (high && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(units[i + 1]) - 0xDC00));
            ++i;
        } else if (high || low) {
            out += '?';
        } else {
            appendUtf8(out, u);
        }
    }
    return out;
}

// Little-endian fields read in order from a span of bytes. The first field that does
// not fit stops the reading: every later read gives zero, and error() says what and
// where. Offsets in messages count from the start of the whole image (`base`).
class Cursor {
public:
    Cursor(std::span<const unsigned char> bytes, std::size_t base, std::string context)
        : bytes_(bytes), base_(base), context_(std::move(context)) {}

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    std::size_t left() const { return bytes_.size() - pos_; }
    void setContext(std::string context) { context_ = std::move(context); }

    std::uint8_t byte(const char* field) {
        const unsigned char* p = take(1, field);
        return p ? p[0] : 0;
    }
    WORD word(const char* field) {
        const unsigned char* p = take(2, field);
        return p ? WORD(p[0] | p[1] << 8) : 0;
    }
    DWORD dword(const char* field) {
        const unsigned char* p = take(4, field);
        return p ? DWORD(p[0]) | DWORD(p[1]) << 8 | DWORD(p[2]) << 16 | DWORD(p[3]) << 24 : 0;
    }
    // Coordinates and sizes are signed words.
    int coordinate(const char* field) { return std::int16_t(word(field)); }

    // A zero-terminated UTF-16 text.
    std::string text(const char* field) {
        std::vector<char16_t> units;
        std::size_t start = pos_;
        while (ok()) {
            if (left() < 2) {
                pos_ = start;
                fail(field, "has no terminating zero before the end");
                break;
            }
            char16_t u = char16_t(word(field));
            if (u == 0) break;
            units.push_back(u);
        }
        return ok() ? utf8FromUtf16(units) : std::string();
    }

    // A number (0xFFFF, then the number), nothing (a zero word), or a text.
    ResourceId numberOrText(const char* field) {
        ResourceId id;
        if (left() >= 2 && WORD(bytes_[pos_] | bytes_[pos_ + 1] << 8) == kNumberMark) {
            word(field);
            id.number = word(field);
        } else {
            id.text = text(field);
        }
        return id;
    }

    void skip(std::size_t n, const char* field) { take(n, field); }

    // Skips the padding up to the next DWORD boundary of the image.
    void alignToDword(const char* field) {
        std::size_t at = base_ + pos_;
        skip(roundUpToDword(at) - at, field);
    }

private:
    const unsigned char* take(std::size_t n, const char* field) {
        if (!ok()) return nullptr;
        if (n > left()) {
            fail(field, "runs past the end (needs " + std::to_string(n) + " bytes, " + std::to_string(left()) + " left)");
            return nullptr;
        }
        const unsigned char* p = bytes_.data() + pos_;
        pos_ += n;
        return p;
    }
    void fail(const char* field, const std::string& why) {
        error_ = "at byte " + std::to_string(base_ + pos_) + ": " + context_ + (context_.empty() ? "" : " ") + field + " " + why;
    }

    std::span<const unsigned char> bytes_;
    std::size_t pos_ = 0;
    std::size_t base_;
    std::string context_;
    std::string error_;
};

std::string controlClass(const ResourceId& id) {
    for (const SystemClass& c : kSystemClasses) {
        if (id.number >= 0 ? (c.atom != 0 && id.number == c.atom) : iequals(id.text, c.name)) return c.name;
    }
    return id.number >= 0 ? "#" + std::to_string(id.number) : id.text;
}

std::string textOf(const ResourceId& id) { return id.number >= 0 ? "#" + std::to_string(id.number) : id.text; }

}  // namespace

std::string parseResourceImage(std::span<const unsigned char> image, std::vector<ResourceEntry>& out) {
    if (image.empty()) return "the resource image is empty";
    if (image.size() % 4 != 0)
        return "the resource image is not a whole number of DWORDs (" + std::to_string(image.size()) + " bytes)";
    std::size_t pos = 0;
    for (int index = 0; pos < image.size(); ++index) {
        std::string entry = "entry " + std::to_string(index);
        Cursor sizes(image.subspan(pos), pos, entry);
        DWORD dataSize = sizes.dword("data size");
        DWORD headerSize = sizes.dword("header size");
        if (!sizes.ok()) return sizes.error();
        std::size_t left = image.size() - pos;
        std::string at = "at byte " + std::to_string(pos) + ": " + entry;
        if (headerSize < kSmallestEntryHeader || headerSize % 4 != 0)
            return at + " has a header size of " + std::to_string(headerSize) + ", not a whole number of DWORDs from " +
                   std::to_string(kSmallestEntryHeader) + " up";
        if (headerSize > left)
            return at + " has a header of " + std::to_string(headerSize) + " bytes, past the end (" +
                   std::to_string(left) + " bytes left)";
        if (dataSize > left - headerSize)
            return at + " has " + std::to_string(dataSize) + " bytes of data, past the end (" +
                   std::to_string(left - headerSize) + " bytes left)";

        Cursor header(image.subspan(pos + 8, headerSize - 8), pos + 8, entry);
        ResourceEntry e;
        e.type = header.numberOrText("type");
        e.name = header.numberOrText("name");
        header.alignToDword("padding after the name");
        header.dword("data version");
        header.word("memory flags");
        e.language = header.word("language");
        header.dword("version");
        header.dword("characteristics");
        if (!header.ok()) return header.error();

        bool empty = e.type.number == 0 && e.name.number == 0 && dataSize == 0;
        if (index == 0 && !empty) return "the resource image does not open with the empty entry of the 32-bit format";
        // Empty entries also stand where one image follows another.
        if (e.type.number != 0) {
            e.data = image.subspan(pos + headerSize, dataSize);
            out.push_back(std::move(e));
        }
        // Within bounds: the image and every header are whole DWORDs.
        pos += headerSize + roundUpToDword(dataSize);
    }
    return {};
}

std::string parseDialogTemplate(std::span<const unsigned char> data, DialogTemplate& out) {
    DialogTemplate d;
    Cursor f(data, 0, "the dialog's");
    Cursor opening = f;
    d.extended = opening.word("version") == kExtendedVersion && opening.word("signature") == kExtendedSignature;
    if (d.extended) {
        f.word("version");
        f.word("signature");
        f.dword("help id");
        d.exStyle = f.dword("extended style");
        d.style = f.dword("style");
    } else {
        d.style = f.dword("style");
        d.exStyle = f.dword("extended style");
    }
    WORD count = f.word("item count");
    d.x = f.coordinate("x");
    d.y = f.coordinate("y");
    d.cx = f.coordinate("width");
    d.cy = f.coordinate("height");
    f.numberOrText("menu");
    d.className = textOf(f.numberOrText("class"));
    d.caption = f.text("title");
    if (d.style & DS_SETFONT) {  // also DS_SHELLFONT
        d.fontSize = f.word("point size");
        if (d.extended) {
            d.fontWeight = f.word("font weight");
            d.fontItalic = f.byte("italic flag") != 0;
            d.fontCharset = f.byte("character set");
        }
        d.fontFace = f.text("typeface");
    }
    for (int i = 0; i < count && f.ok(); ++i) {
        f.setContext("control " + std::to_string(i + 1) + " of " + std::to_string(count) + ":");
        f.alignToDword("padding before it");
        ControlTemplate c;
        if (d.extended) {
            f.dword("help id");
            c.exStyle = f.dword("extended style");
            c.style = f.dword("style");
        } else {
            c.style = f.dword("style");
            c.exStyle = f.dword("extended style");
        }
        c.x = f.coordinate("x");
        c.y = f.coordinate("y");
        c.cx = f.coordinate("width");
        c.cy = f.coordinate("height");
        c.id = d.extended ? int(std::int32_t(f.dword("id"))) : int(f.word("id"));
        c.className = controlClass(f.numberOrText("class"));
        c.text = textOf(f.numberOrText("title"));
        f.skip(f.word("creation data size"), "creation data");
        d.controls.push_back(std::move(c));
    }
    if (!f.ok()) return f.error();
    out = std::move(d);
    return {};
}

}  // namespace hostsim
