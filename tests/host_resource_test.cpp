// The reader of compiled resources: resource images and dialog templates written byte
// by byte here as the resource compiler lays them out, and damaged ones refused with
// the place of the damage. Every buffer is exactly as long as its bytes, so a read past
// the end is caught when the suite runs under AddressSanitizer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hostsim/Dialogs.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Little-endian fields and zero-terminated UTF-16 texts, appended in order.
struct Writer {
    Bytes bytes;
    Writer& byte(unsigned v) {
        bytes.push_back(static_cast<unsigned char>(v));
        return *this;
    }
    Writer& word(unsigned v) { return byte(v & 0xFF).byte(v >> 8 & 0xFF); }
    Writer& dword(DWORD v) { return word(v & 0xFFFF).word(v >> 16); }
    Writer& text(std::u16string_view t) {
        for (char16_t c : t) word(c);
        return word(0);
    }
    Writer& number(unsigned n) { return word(0xFFFF).word(n); }  // in place of a text
    Writer& raw(const Bytes& b) {
        bytes.insert(bytes.end(), b.begin(), b.end());
        return *this;
    }
    Writer& align() {
        while (bytes.size() % 4) byte(0);
        return *this;
    }
};

// A resource entry of a type and name given as a number or, when `number` is -1, a text.
struct Id {
    int number;
    std::u16string text;
};
void entry(Writer& out, const Id& type, const Id& name, const Bytes& data) {
    Writer header;
    for (const Id* id : {&type, &name}) id->number >= 0 ? header.number(unsigned(id->number)) : header.text(id->text);
    header.align().dword(0).word(0x1030).word(0x0409).dword(0).dword(0);
    out.dword(DWORD(data.size())).dword(DWORD(8 + header.bytes.size())).raw(header.bytes).raw(data).align();
}

// DIALOG 0,0,60,40 with a font and one centred static of id 0xFFFF, an atom for its
// class, a text beyond ASCII and two bytes of creation data.
Bytes plainDialog() {
    Writer w;
    w.dword(WS_CHILD | DS_SETFONT).dword(0).word(1).word(0).word(0).word(60).word(40);
    w.word(0).word(0).text(u"Plain");  // no menu, the dialog class, the title
    w.word(8).text(u"MS Sans Serif");
    w.align().dword(WS_CHILD | WS_VISIBLE | SS_CENTER).dword(0).word(1).word(2).word(50).word(8).word(0xFFFF);
    w.number(0x0082).text(u"\u00C5 \U0001D11E \xD800!");
    w.word(2).word(0xABCD);
    return w.bytes;
}

// DIALOGEX at (-3, 5) with help id, menu, class, title and a full font; an up-down
// control named in capitals with a numbered title, and a control of an unknown atom.
Bytes extendedDialog() {
    Writer w;
    w.word(1).word(0xFFFF).dword(77).dword(WS_EX_CONTROLPARENT).dword(WS_POPUP | WS_CAPTION | DS_SHELLFONT);
    w.word(2).word(0xFFFD).word(5).word(100).word(50);
    w.number(3).text(u"PageClass").text(u"Extended");
    w.word(9).word(700).byte(1).byte(204).text(u"Tahoma");
    w.align().dword(5).dword(WS_EX_CLIENTEDGE).dword(WS_CHILD | UDS_ARROWKEYS).word(1).word(2).word(10).word(14);
    w.dword(0xFFFFFFFF).text(u"MSCTLS_UPDOWN32").number(7).word(0);
    w.align().dword(0).dword(0).dword(WS_CHILD).word(0).word(0).word(1).word(1).dword(1200).number(0x0086).word(0).word(0);
    return w.bytes;
}

// Both templates in two images that follow each other, with a string table between.
Bytes twoImages() {
    Writer w;
    entry(w, {0, {}}, {0, {}}, {});
    entry(w, {5, {}}, {-1, u"PLAIN"}, plainDialog());
    entry(w, {6, {}}, {1, {}}, {0, 0});
    entry(w, {0, {}}, {0, {}}, {});
    entry(w, {5, {}}, {7, {}}, extendedDialog());
    return w.bytes;
}

}  // namespace

TEST(ResourceReader, images_that_follow_each_other_and_both_template_forms_are_read) {
    Bytes image = twoImages();
    std::vector<hostsim::ResourceEntry> entries;
    ASSERT_EQ(hostsim::parseResourceImage(image, entries), "");
    ASSERT_EQ(entries.size(), 3u);  // the empty entries say only where an image starts
    EXPECT_EQ(entries[0].type.number, 5);
    EXPECT_EQ(entries[0].name.text, "PLAIN");
    EXPECT_EQ(entries[0].name.number, -1);
    EXPECT_EQ(entries[0].language, 0x0409);
    EXPECT_EQ(entries[0].data.size(), plainDialog().size());
    EXPECT_EQ(entries[1].type.number, 6);
    EXPECT_EQ(entries[2].name.number, 7);

    hostsim::DialogTemplate plain;
    ASSERT_EQ(hostsim::parseDialogTemplate(entries[0].data, plain), "");
    EXPECT_FALSE(plain.extended);
    EXPECT_EQ(plain.style, WS_CHILD | DS_SETFONT);
    EXPECT_EQ((std::vector<int>{plain.x, plain.y, plain.cx, plain.cy}), (std::vector<int>{0, 0, 60, 40}));
    EXPECT_EQ(plain.caption, "Plain");
    EXPECT_EQ(plain.fontFace, "MS Sans Serif");
    EXPECT_EQ(plain.fontSize, 8);
    ASSERT_EQ(plain.controls.size(), 1u);
    EXPECT_EQ(plain.controls[0].className, "Static");
    EXPECT_EQ(plain.controls[0].id, 0xFFFF);
    // UTF-16 becomes UTF-8; a surrogate without its partner becomes '?'.
    EXPECT_EQ(plain.controls[0].text, "\xC3\x85 \xF0\x9D\x84\x9E ?!");
    EXPECT_EQ((std::vector<int>{plain.controls[0].x, plain.controls[0].y, plain.controls[0].cx, plain.controls[0].cy}),
              (std::vector<int>{1, 2, 50, 8}));

    hostsim::DialogTemplate ex;
    ASSERT_EQ(hostsim::parseDialogTemplate(entries[2].data, ex), "");
    EXPECT_TRUE(ex.extended);
    EXPECT_EQ(ex.style, WS_POPUP | WS_CAPTION | DS_SHELLFONT);
    EXPECT_EQ(ex.exStyle, WS_EX_CONTROLPARENT);
    EXPECT_EQ((std::vector<int>{ex.x, ex.y, ex.cx, ex.cy}), (std::vector<int>{-3, 5, 100, 50}));
    EXPECT_EQ(ex.className, "PageClass");
    EXPECT_EQ(ex.caption, "Extended");
    EXPECT_EQ(ex.fontFace, "Tahoma");
    EXPECT_EQ((std::vector<int>{ex.fontSize, ex.fontWeight, ex.fontItalic, ex.fontCharset}), (std::vector<int>{9, 700, 1, 204}));
    ASSERT_EQ(ex.controls.size(), 2u);
    EXPECT_EQ(ex.controls[0].className, UPDOWN_CLASS);  // the window system's spelling
    EXPECT_EQ(ex.controls[0].id, -1);
    EXPECT_EQ(ex.controls[0].text, "#7");
    EXPECT_EQ(ex.controls[0].style, WS_CHILD | UDS_ARROWKEYS);
    EXPECT_EQ(ex.controls[0].exStyle, WS_EX_CLIENTEDGE);
    EXPECT_EQ(ex.controls[1].className, "#134");
    EXPECT_EQ(ex.controls[1].id, 1200);
}

TEST(ResourceReader, damaged_images_and_templates_are_refused_where_the_damage_is) {
    auto cut = [](Bytes b, std::size_t size) {
        b.resize(size);
        return b;
    };
    auto patch = [](Bytes b, std::size_t at, DWORD value) {
        Writer w;
        w.dword(value);
        std::copy(w.bytes.begin(), w.bytes.end(), b.begin() + std::ptrdiff_t(at));
        return b;
    };
    const Bytes image = twoImages();
    const Bytes plain = plainDialog();
    Writer unterminatedName;  // the name's text fills the rest of the header
    unterminatedName.raw(cut(image, 32)).dword(0).dword(32).number(5);
    for (int i = 0; i < 10; ++i) unterminatedName.word('N');
    Writer dialogFirst;
    entry(dialogFirst, {5, {}}, {7, {}}, plain);

    struct Case {
        const char* what;
        bool image;  // else a dialog template
        Bytes bytes;
        std::string error;
    };
    // Entry 1 of the image starts at byte 32; the plain template's title at byte 22.
    const Case cases[] = {
        {"nothing", true, {}, "the resource image is empty"},
        {"a header cut short", true, cut(image, 12), "at byte 0: entry 0 has a header of 32 bytes, past the end (12 bytes left)"},
        {"not whole DWORDs", true, cut(image, 62), "the resource image is not a whole number of DWORDs (62 bytes)"},
        {"a misaligned header", true, patch(image, 36, 34),
         "at byte 32: entry 1 has a header size of 34, not a whole number of DWORDs from 32 up"},
        {"data past the end", true, patch(image, 32, 100000),
         "at byte 32: entry 1 has 100000 bytes of data, past the end (" + std::to_string(image.size() - 32 - 40) + " bytes left)"},
        {"a name without its end", true, unterminatedName.bytes, "at byte 44: entry 1 name has no terminating zero before the end"},
        {"no empty entry first", true, dialogFirst.bytes, "the resource image does not open with the empty entry of the 32-bit format"},
        {"a template cut short", false, cut(plain, 5), "at byte 4: the dialog's extended style runs past the end (needs 4 bytes, 1 left)"},
        {"a title cut in a character", false, cut(plain, 27), "at byte 22: the dialog's title has no terminating zero before the end"},
        {"more items than data", false, patch(plain, 8, 0x00000003),
         "at byte " + std::to_string(plain.size()) + ": control 2 of 3: padding before it runs past the end (needs 2 bytes, 0 left)"},
        {"creation data past the end", false, patch(plain, plain.size() - 4, 0xABCD000A),
         "at byte " + std::to_string(plain.size() - 2) + ": control 1 of 1: creation data runs past the end (needs 10 bytes, 2 left)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<hostsim::ResourceEntry> entries;
        hostsim::DialogTemplate dialog;
        // An exact copy on the heap, so that a read one byte past it is caught.
        Bytes exact(c.bytes);
        EXPECT_EQ(c.image ? hostsim::parseResourceImage(exact, entries) : hostsim::parseDialogTemplate(exact, dialog), c.error);
    }
}
