// Resource scripts as the window system's resource compiler reads them: a small
// preprocessor (#include, #define, conditionals) and the dialog statements. Other
// resources of a script (string tables, icons, version blocks) are read past.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <map>

#include "Text.h"
#include "hostsim/Dialogs.h"

namespace hostsim {

namespace {

// ---- Names every script may use without defining them ----

struct Constant {
    const char* name;
    long long value;
};

// The styles and ids of the window system's own headers, which scripts include but
// which are not carried with them.
constexpr Constant kConstants[] = {
    {"IDC_STATIC", -1},
    {"IDOK", IDOK}, {"IDCANCEL", IDCANCEL}, {"IDABORT", IDABORT}, {"IDRETRY", IDRETRY},
    {"IDIGNORE", IDIGNORE}, {"IDYES", IDYES}, {"IDNO", IDNO}, {"IDCLOSE", IDCLOSE}, {"IDHELP", IDHELP},
    {"WS_OVERLAPPED", WS_OVERLAPPED}, {"WS_POPUP", WS_POPUP}, {"WS_CHILD", WS_CHILD},
    {"WS_CHILDWINDOW", WS_CHILD}, {"WS_MINIMIZE", WS_MINIMIZE}, {"WS_ICONIC", WS_MINIMIZE},
    {"WS_VISIBLE", WS_VISIBLE}, {"WS_DISABLED", WS_DISABLED}, {"WS_CLIPSIBLINGS", WS_CLIPSIBLINGS},
    {"WS_CLIPCHILDREN", WS_CLIPCHILDREN}, {"WS_MAXIMIZE", WS_MAXIMIZE}, {"WS_CAPTION", WS_CAPTION},
    {"WS_BORDER", WS_BORDER}, {"WS_DLGFRAME", WS_DLGFRAME}, {"WS_VSCROLL", WS_VSCROLL},
    {"WS_HSCROLL", WS_HSCROLL}, {"WS_SYSMENU", WS_SYSMENU}, {"WS_THICKFRAME", WS_THICKFRAME},
    {"WS_SIZEBOX", WS_THICKFRAME}, {"WS_GROUP", WS_GROUP}, {"WS_TABSTOP", WS_TABSTOP},
    {"WS_MINIMIZEBOX", WS_MINIMIZEBOX}, {"WS_MAXIMIZEBOX", WS_MAXIMIZEBOX}, {"WS_TILED", WS_OVERLAPPED},
    {"WS_POPUPWINDOW", WS_POPUP | WS_BORDER | WS_SYSMENU},
    {"WS_OVERLAPPEDWINDOW", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX},
    {"WS_EX_DLGMODALFRAME", WS_EX_DLGMODALFRAME}, {"WS_EX_NOPARENTNOTIFY", WS_EX_NOPARENTNOTIFY},
    {"WS_EX_TOPMOST", WS_EX_TOPMOST}, {"WS_EX_ACCEPTFILES", WS_EX_ACCEPTFILES},
    {"WS_EX_TRANSPARENT", WS_EX_TRANSPARENT}, {"WS_EX_TOOLWINDOW", WS_EX_TOOLWINDOW},
    {"WS_EX_WINDOWEDGE", WS_EX_WINDOWEDGE}, {"WS_EX_CLIENTEDGE", WS_EX_CLIENTEDGE},
    {"WS_EX_CONTEXTHELP", WS_EX_CONTEXTHELP}, {"WS_EX_RIGHT", WS_EX_RIGHT}, {"WS_EX_LEFT", WS_EX_LEFT},
    {"WS_EX_CONTROLPARENT", WS_EX_CONTROLPARENT}, {"WS_EX_STATICEDGE", WS_EX_STATICEDGE},
    {"WS_EX_APPWINDOW", WS_EX_APPWINDOW},
    {"DS_ABSALIGN", DS_ABSALIGN}, {"DS_SYSMODAL", DS_SYSMODAL}, {"DS_3DLOOK", DS_3DLOOK},
    {"DS_FIXEDSYS", DS_FIXEDSYS}, {"DS_NOFAILCREATE", DS_NOFAILCREATE}, {"DS_LOCALEDIT", DS_LOCALEDIT},
    {"DS_SETFONT", DS_SETFONT}, {"DS_MODALFRAME", DS_MODALFRAME}, {"DS_NOIDLEMSG", DS_NOIDLEMSG},
    {"DS_SETFOREGROUND", DS_SETFOREGROUND}, {"DS_CONTROL", DS_CONTROL}, {"DS_CENTER", DS_CENTER},
    {"DS_CENTERMOUSE", DS_CENTERMOUSE}, {"DS_CONTEXTHELP", DS_CONTEXTHELP}, {"DS_SHELLFONT", DS_SHELLFONT},
    {"BS_PUSHBUTTON", BS_PUSHBUTTON}, {"BS_DEFPUSHBUTTON", BS_DEFPUSHBUTTON}, {"BS_CHECKBOX", BS_CHECKBOX},
    {"BS_AUTOCHECKBOX", BS_AUTOCHECKBOX}, {"BS_RADIOBUTTON", BS_RADIOBUTTON}, {"BS_3STATE", BS_3STATE},
    {"BS_AUTO3STATE", BS_AUTO3STATE}, {"BS_GROUPBOX", BS_GROUPBOX}, {"BS_USERBUTTON", BS_USERBUTTON},
    {"BS_AUTORADIOBUTTON", BS_AUTORADIOBUTTON}, {"BS_OWNERDRAW", BS_OWNERDRAW}, {"BS_LEFTTEXT", BS_LEFTTEXT},
    {"BS_RIGHTBUTTON", BS_LEFTTEXT}, {"BS_TEXT", BS_TEXT}, {"BS_LEFT", BS_LEFT}, {"BS_RIGHT", BS_RIGHT},
    {"BS_CENTER", BS_CENTER}, {"BS_TOP", BS_TOP}, {"BS_BOTTOM", BS_BOTTOM}, {"BS_VCENTER", BS_VCENTER},
    {"BS_PUSHLIKE", BS_PUSHLIKE}, {"BS_MULTILINE", BS_MULTILINE}, {"BS_NOTIFY", BS_NOTIFY},
    {"BS_FLAT", BS_FLAT},
    {"ES_LEFT", ES_LEFT}, {"ES_CENTER", ES_CENTER}, {"ES_RIGHT", ES_RIGHT}, {"ES_MULTILINE", ES_MULTILINE},
    {"ES_UPPERCASE", ES_UPPERCASE}, {"ES_LOWERCASE", ES_LOWERCASE}, {"ES_PASSWORD", ES_PASSWORD},
    {"ES_AUTOVSCROLL", ES_AUTOVSCROLL}, {"ES_AUTOHSCROLL", ES_AUTOHSCROLL}, {"ES_NOHIDESEL", ES_NOHIDESEL},
    {"ES_OEMCONVERT", ES_OEMCONVERT}, {"ES_READONLY", ES_READONLY}, {"ES_WANTRETURN", ES_WANTRETURN},
    {"ES_NUMBER", ES_NUMBER},
    {"SS_LEFT", SS_LEFT}, {"SS_CENTER", SS_CENTER}, {"SS_RIGHT", SS_RIGHT}, {"SS_ICON", SS_ICON},
    {"SS_BLACKRECT", SS_BLACKRECT}, {"SS_GRAYRECT", SS_GRAYRECT}, {"SS_WHITERECT", SS_WHITERECT},
    {"SS_BLACKFRAME", SS_BLACKFRAME}, {"SS_GRAYFRAME", SS_GRAYFRAME}, {"SS_WHITEFRAME", SS_WHITEFRAME},
    {"SS_SIMPLE", SS_SIMPLE}, {"SS_LEFTNOWORDWRAP", SS_LEFTNOWORDWRAP}, {"SS_BITMAP", SS_BITMAP},
    {"SS_ETCHEDHORZ", SS_ETCHEDHORZ}, {"SS_ETCHEDVERT", SS_ETCHEDVERT}, {"SS_ETCHEDFRAME", SS_ETCHEDFRAME},
    {"SS_NOPREFIX", SS_NOPREFIX}, {"SS_NOTIFY", SS_NOTIFY}, {"SS_CENTERIMAGE", SS_CENTERIMAGE},
    {"SS_SUNKEN", SS_SUNKEN},
    {"CBS_SIMPLE", CBS_SIMPLE}, {"CBS_DROPDOWN", CBS_DROPDOWN}, {"CBS_DROPDOWNLIST", CBS_DROPDOWNLIST},
    {"CBS_OWNERDRAWFIXED", CBS_OWNERDRAWFIXED}, {"CBS_OWNERDRAWVARIABLE", CBS_OWNERDRAWVARIABLE},
    {"CBS_AUTOHSCROLL", CBS_AUTOHSCROLL}, {"CBS_OEMCONVERT", CBS_OEMCONVERT}, {"CBS_SORT", CBS_SORT},
    {"CBS_HASSTRINGS", CBS_HASSTRINGS}, {"CBS_NOINTEGRALHEIGHT", CBS_NOINTEGRALHEIGHT},
    {"CBS_DISABLENOSCROLL", CBS_DISABLENOSCROLL}, {"CBS_UPPERCASE", CBS_UPPERCASE},
    {"CBS_LOWERCASE", CBS_LOWERCASE},
    {"LBS_NOTIFY", LBS_NOTIFY}, {"LBS_SORT", LBS_SORT}, {"LBS_NOREDRAW", LBS_NOREDRAW},
    {"LBS_MULTIPLESEL", LBS_MULTIPLESEL}, {"LBS_OWNERDRAWFIXED", LBS_OWNERDRAWFIXED},
    {"LBS_OWNERDRAWVARIABLE", LBS_OWNERDRAWVARIABLE}, {"LBS_HASSTRINGS", LBS_HASSTRINGS},
    {"LBS_USETABSTOPS", LBS_USETABSTOPS}, {"LBS_NOINTEGRALHEIGHT", LBS_NOINTEGRALHEIGHT},
    {"LBS_MULTICOLUMN", LBS_MULTICOLUMN}, {"LBS_WANTKEYBOARDINPUT", LBS_WANTKEYBOARDINPUT},
    {"LBS_EXTENDEDSEL", LBS_EXTENDEDSEL}, {"LBS_DISABLENOSCROLL", LBS_DISABLENOSCROLL},
    {"LBS_NODATA", LBS_NODATA}, {"LBS_NOSEL", LBS_NOSEL}, {"LBS_STANDARD", LBS_STANDARD},
    {"UDS_WRAP", UDS_WRAP}, {"UDS_SETBUDDYINT", UDS_SETBUDDYINT}, {"UDS_ALIGNRIGHT", UDS_ALIGNRIGHT},
    {"UDS_ALIGNLEFT", UDS_ALIGNLEFT}, {"UDS_AUTOBUDDY", UDS_AUTOBUDDY}, {"UDS_ARROWKEYS", UDS_ARROWKEYS},
    {"UDS_HORZ", UDS_HORZ}, {"UDS_NOTHOUSANDS", UDS_NOTHOUSANDS}, {"UDS_HOTTRACK", UDS_HOTTRACK},
    {"SBS_HORZ", 0}, {"SBS_VERT", 1},
};

// Headers of the window system that scripts include; their names are built in above.
constexpr const char* kSystemHeaders[] = {"windows.h", "winres.h", "winresrc.h", "afxres.h",
                                          "commctrl.h", "winuser.h", "richedit.h", "winver.h"};

// Control classes known by a keyword or a class-name macro instead of a text.
struct ClassAlias {
    const char* alias;
    const char* className;
};
constexpr ClassAlias kClassAliases[] = {
    {"BUTTON", "Button"}, {"EDIT", "Edit"}, {"STATIC", "Static"}, {"LISTBOX", "ListBox"},
    {"COMBOBOX", "ComboBox"}, {"SCROLLBAR", "ScrollBar"}, {"WC_BUTTON", "Button"}, {"WC_EDIT", "Edit"},
    {"WC_STATIC", "Static"}, {"WC_LISTBOX", "ListBox"}, {"WC_COMBOBOX", "ComboBox"},
    {"WC_SCROLLBAR", "ScrollBar"}, {"UPDOWN_CLASS", UPDOWN_CLASS}, {"msctls_updown32", UPDOWN_CLASS},
};

// The control statements. `always` is part of the style whatever the statement
// says (NOT removes it); `unlessGiven` only when the statement gives no style.
struct Statement {
    const char* name;
    const char* className;
    bool hasText;
    DWORD always;
    DWORD unlessGiven;
};
constexpr Statement kStatements[] = {
    {"LTEXT", "Static", true, SS_LEFT | WS_GROUP, 0},
    {"RTEXT", "Static", true, SS_RIGHT | WS_GROUP, 0},
    {"CTEXT", "Static", true, SS_CENTER | WS_GROUP, 0},
    {"ICON", "Static", true, SS_ICON, 0},
    {"PUSHBUTTON", "Button", true, BS_PUSHBUTTON | WS_TABSTOP, 0},
    {"DEFPUSHBUTTON", "Button", true, BS_DEFPUSHBUTTON | WS_TABSTOP, 0},
    {"CHECKBOX", "Button", true, BS_CHECKBOX | WS_TABSTOP, 0},
    {"AUTOCHECKBOX", "Button", true, BS_AUTOCHECKBOX | WS_TABSTOP, 0},
    {"RADIOBUTTON", "Button", true, BS_RADIOBUTTON | WS_TABSTOP, 0},
    {"AUTORADIOBUTTON", "Button", true, BS_AUTORADIOBUTTON | WS_TABSTOP, 0},
    {"STATE3", "Button", true, BS_3STATE | WS_TABSTOP, 0},
    {"AUTO3STATE", "Button", true, BS_AUTO3STATE | WS_TABSTOP, 0},
    {"GROUPBOX", "Button", true, BS_GROUPBOX, 0},
    {"EDITTEXT", "Edit", false, ES_LEFT | WS_BORDER | WS_TABSTOP, 0},
    // A given style replaces the default: CBS_SIMPLE added to CBS_DROPDOWN would
    // make a drop-down list.
    {"COMBOBOX", "ComboBox", false, 0, CBS_SIMPLE | WS_TABSTOP},
    {"LISTBOX", "ListBox", false, LBS_NOTIFY | WS_BORDER, 0},
    {"SCROLLBAR", "ScrollBar", false, 0, 0},
};

// Every control is a visible child unless its style says NOT WS_VISIBLE.
constexpr DWORD kControlBase = WS_CHILD | WS_VISIBLE;
// A dialog without a STYLE statement.
constexpr DWORD kDialogDefaultStyle = WS_POPUP | WS_BORDER | WS_SYSMENU;

// ---- Tokens ----

struct Token {
    enum Kind { Ident, Number, String, Punct };
    Kind kind = Punct;
    std::string text;  // identifier, punctuation, or the value of a string
    long long value = 0;
    const std::string* file = nullptr;
    int line = 0;
};

std::string where(const std::string* file, int line) {
    return (file ? *file : std::string("?")) + ":" + std::to_string(line) + ": ";
}

bool isIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool isIdentChar(char c) { return isIdentStart(c) || (c >= '0' && c <= '9'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string upper(std::string_view s) {
    std::string u(s);
    for (char& c : u)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return u;
}

// Replaces comments by blanks, keeping every line break so that lines keep their numbers.
std::string stripComments(std::string_view text) {
    std::string out(text);
    size_t i = 0;
    while (i < out.size()) {
        char c = out[i];
        if (c == '"') {
            for (++i; i < out.size() && out[i] != '"' && out[i] != '\n'; ++i)
                if (out[i] == '\\' && i + 1 < out.size() && out[i + 1] != '\n') ++i;
            if (i < out.size() && out[i] == '"') ++i;
        } else if (c == '/' && i + 1 < out.size() && out[i + 1] == '/') {
            while (i < out.size() && out[i] != '\n') out[i++] = ' ';
        } else if (c == '/' && i + 1 < out.size() && out[i + 1] == '*') {
            out[i] = out[i + 1] = ' ';
            i += 2;
            while (i < out.size() && !(out[i] == '*' && i + 1 < out.size() && out[i + 1] == '/')) {
                if (out[i] != '\n') out[i] = ' ';
                ++i;
            }
            if (i < out.size()) out[i] = out[i + 1] = ' ', i += 2;
        } else {
            ++i;
        }
    }
    return out;
}

// Reads a string literal that starts at text[i] (the opening quote). Doubled quotes
// and backslash escapes both stand for their character.
std::string readString(std::string_view text, size_t& i, bool& ok) {
    std::string value;
    ok = false;
    ++i;
    while (i < text.size()) {
        char c = text[i];
        if (c == '"') {
            if (i + 1 < text.size() && text[i + 1] == '"') {
                value += '"';
                i += 2;
                continue;
            }
            ++i;
            ok = true;
            return value;
        }
        if (c == '\\' && i + 1 < text.size()) {
            char e = text[i + 1];
            i += 2;
            switch (e) {
            case 'n': value += '\n'; break;
            case 't': value += '\t'; break;
            case 'r': value += '\r'; break;
            case 'a': value += '\a'; break;
            case '0': value += '\0'; break;
            case 'x': {
                int v = 0, n = 0;
                while (n < 2 && i < text.size() && std::isxdigit(static_cast<unsigned char>(text[i]))) {
                    char h = text[i++];
                    v = v * 16 + (isDigit(h) ? h - '0' : (lower(h) - 'a' + 10));
                    ++n;
                }
                value += char(v);
                break;
            }
            default: value += e; break;
            }
            continue;
        }
        value += c;
        ++i;
    }
    return value;
}

// Splits one logical line into tokens.
std::string tokenize(std::string_view line, const std::string* file, int lineNo, std::vector<Token>& out) {
    size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
            ++i;
            continue;
        }
        Token t;
        t.file = file;
        t.line = lineNo;
        if (c == 'L' && i + 1 < line.size() && line[i + 1] == '"') ++i, c = '"';  // wide strings read the same
        if (c == '"') {
            bool ok;
            t.kind = Token::String;
            t.text = readString(line, i, ok);
            if (!ok) return where(file, lineNo) + "string without its closing quote";
        } else if (isIdentStart(c)) {
            size_t b = i;
            while (i < line.size() && isIdentChar(line[i])) ++i;
            t.kind = Token::Ident;
            t.text = std::string(line.substr(b, i - b));
        } else if (isDigit(c)) {
            size_t b = i;
            int base = 10;
            if (c == '0' && i + 1 < line.size() && (line[i + 1] == 'x' || line[i + 1] == 'X')) base = 16, i += 2, b = i;
            unsigned long long v = 0;
            auto [end, ec] = std::from_chars(line.data() + i, line.data() + line.size(), v, base);
            if (ec != std::errc() || end == line.data() + i)
                return where(file, lineNo) + "bad number \"" + std::string(line.substr(b, 8)) + "\"";
            i = size_t(end - line.data());
            while (i < line.size() && (line[i] == 'L' || line[i] == 'l' || line[i] == 'U' || line[i] == 'u')) ++i;
            if (i < line.size() && isIdentChar(line[i])) {
                while (i < line.size() && isIdentChar(line[i])) ++i;
                return where(file, lineNo) + "bad number \"" + std::string(line.substr(b, i - b)) + "\"";
            }
            t.kind = Token::Number;
            t.value = static_cast<long long>(v);
            t.text = std::string(line.substr(b, i - b));
        } else if (c == '\'' && i + 2 < line.size() && line[i + 2] == '\'') {
            t.kind = Token::Number;
            t.value = static_cast<unsigned char>(line[i + 1]);
            t.text = std::string(line.substr(i, 3));
            i += 3;
        } else {
            static constexpr std::string_view twoChar[] = {"||", "&&", "==", "!=", "<=", ">=", "<<", ">>"};
            t.kind = Token::Punct;
            t.text = std::string(1, c);
            for (auto two : twoChar)
                if (line.substr(i, 2) == two) t.text = std::string(two);
            static constexpr std::string_view single = "(),|&^~!+-*/%<>={}?:";
            if (t.text.size() == 1 && single.find(c) == std::string_view::npos)
                return where(file, lineNo) + "unexpected character '" + std::string(1, c) + "'";
            i += t.text.size();
        }
        out.push_back(std::move(t));
    }
    return {};
}

// ---- Expressions ----

// Evaluates C-style integer expressions over tokens. Identifiers are looked up by
// `lookup`; in preprocessor conditions unknown names count as 0, as in C.
class Expression {
public:
    using Lookup = std::function<std::optional<long long>(const Token&)>;
    Expression(const std::vector<Token>& tokens, size_t& pos, Lookup lookup, std::string& error)
        : t_(tokens), pos_(pos), lookup_(std::move(lookup)), error_(error) {}

    long long full() { return binary(0); }
    // One operand of a style, which stops at '|' so that NOT can apply to it.
    long long styleOperand() { return binary(kStyleLevel); }

private:
    static constexpr int kStyleLevel = 3;  // above '|'
    struct Op {
        const char* text;
        int level;
    };
    static constexpr Op kOps[] = {{"||", 0}, {"&&", 1}, {"|", 2}, {"^", 3}, {"&", 4}, {"==", 5}, {"!=", 5},
                                  {"<", 6},  {">", 6},  {"<=", 6}, {">=", 6}, {"<<", 7}, {">>", 7}, {"+", 8},
                                  {"-", 8},  {"*", 9},  {"/", 9},  {"%", 9}};

    const Token* peek() const { return pos_ < t_.size() ? &t_[pos_] : nullptr; }
    bool failed() const { return !error_.empty(); }
    void fail(const std::string& why) {
        if (error_.empty()) {
            const Token* at = peek() ? peek() : (t_.empty() ? nullptr : &t_.back());
            error_ = (at ? where(at->file, at->line) : std::string()) + why;
        }
    }

    int levelOf(const Token& tok) const {
        if (tok.kind != Token::Punct) return -1;
        for (const Op& op : kOps)
            if (tok.text == op.text) return op.level;
        return -1;
    }

    long long binary(int minLevel) {
        long long left = unary();
        while (!failed()) {
            const Token* tok = peek();
            int level = tok ? levelOf(*tok) : -1;
            if (level < minLevel) break;
            std::string op = tok->text;
            ++pos_;
            long long right = binary(level + 1);
            if (failed()) break;
            left = apply(op, left, right);
        }
        return left;
    }

    long long apply(const std::string& op, long long a, long long b) {
        if (op == "||") return a || b;
        if (op == "&&") return a && b;
        if (op == "|") return a | b;
        if (op == "^") return a ^ b;
        if (op == "&") return a & b;
        if (op == "==") return a == b;
        if (op == "!=") return a != b;
        if (op == "<") return a < b;
        if (op == ">") return a > b;
        if (op == "<=") return a <= b;
        if (op == ">=") return a >= b;
        if (op == "<<") return (b < 0 || b > 62) ? 0 : a << b;
        if (op == ">>") return (b < 0 || b > 62) ? 0 : a >> b;
        if (op == "+") return a + b;
        if (op == "-") return a - b;
        if (op == "*") return a * b;
        if (b == 0) {
            fail("division by zero");
            return 0;
        }
        return op == "/" ? a / b : a % b;
    }

    long long unary() {
        const Token* tok = peek();
        if (!tok) {
            fail("expression ends too early");
            return 0;
        }
        if (tok->kind == Token::Punct) {
            std::string p = tok->text;
            if (p == "-" || p == "+" || p == "~" || p == "!") {
                ++pos_;
                long long v = unary();
                return p == "-" ? -v : p == "~" ? ~v : p == "!" ? !v : v;
            }
            if (p == "(") {
                ++pos_;
                long long v = binary(0);
                if (!failed() && !(peek() && peek()->text == ")" && peek()->kind == Token::Punct)) fail("missing ')'");
                ++pos_;
                return v;
            }
            fail("unexpected '" + p + "'");
            return 0;
        }
        ++pos_;
        if (tok->kind == Token::Number) return tok->value;
        if (tok->kind == Token::Ident) {
            if (auto v = lookup_(*tok)) return *v;
            fail("unknown name " + tok->text);
            return 0;
        }
        fail("a text where a number belongs");
        return 0;
    }

    const std::vector<Token>& t_;
    size_t& pos_;
    Lookup lookup_;
    std::string& error_;
};

std::optional<long long> builtIn(const std::string& name) {
    for (const Constant& c : kConstants)
        if (name == c.name) return c.value;
    return std::nullopt;
}

// ---- Preprocessor ----

class Preprocessor {
public:
    explicit Preprocessor(const std::vector<ResourceFile>& files) : files_(files) {}

    std::string run(std::vector<Token>& out) {
        if (files_.empty()) return "no resource script";
        defineNumber("RC_INVOKED", 1);
        return processFile(files_[0], 0, out);
    }

private:
    struct Macro {
        std::vector<Token> body;
        bool functionLike = false;
    };
    struct Branch {
        bool active;       // lines here are read
        bool taken;        // some branch of this conditional was active
        bool outerActive;  // the conditional itself is in read lines
    };

    void defineNumber(const std::string& name, long long v) {
        Token t;
        t.kind = Token::Number;
        t.value = v;
        t.text = std::to_string(v);
        macros_[name] = Macro{{t}, false};
    }

    const ResourceFile* findFile(const std::string& name) const {
        for (const ResourceFile& f : files_)
            if (f.name == name) return &f;
        return nullptr;
    }

    static bool systemHeader(std::string_view name) {
        auto slash = name.find_last_of("/\\");
        std::string_view base = slash == std::string_view::npos ? name : name.substr(slash + 1);
        for (const char* h : kSystemHeaders)
            if (iequals(base, h)) return true;
        return false;
    }

    bool active() const { return branches_.empty() || branches_.back().active; }

    std::string processFile(const ResourceFile& file, int depth, std::vector<Token>& out) {
        if (depth > 16) return file.name + ": includes nest too deep";
        std::string text = stripComments(file.text);
        size_t depthAtStart = branches_.size();
        size_t pos = 0;
        int lineNo = 0;
        while (pos <= text.size()) {
            // One logical line: physical lines joined where one ends in a backslash.
            int first = lineNo + 1;
            std::string logical;
            while (true) {
                size_t nl = text.find('\n', pos);
                std::string_view phys = std::string_view(text).substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
                ++lineNo;
                pos = nl == std::string::npos ? text.size() + 1 : nl + 1;
                if (!phys.empty() && phys.back() == '\r') phys.remove_suffix(1);
                if (!phys.empty() && phys.back() == '\\' && pos <= text.size()) {
                    logical.append(phys.substr(0, phys.size() - 1));
                    logical += ' ';
                    continue;
                }
                logical.append(phys);
                break;
            }
            std::string_view line = trim(logical);
            if (!line.empty() && line[0] == '#') {
                std::string err = directive(line.substr(1), file, first, depth, out);
                if (!err.empty()) return err;
                continue;
            }
            if (!active() || line.empty()) continue;
            std::vector<Token> tokens;
            std::string err = tokenize(line, &file.name, first, tokens);
            if (err.empty()) err = expand(tokens, out);
            if (!err.empty()) return err;
        }
        if (branches_.size() != depthAtStart) return where(&file.name, lineNo) + "#if without #endif";
        return {};
    }

    std::string directive(std::string_view rest, const ResourceFile& file, int lineNo, int depth,
                          std::vector<Token>& out) {
        rest = trim(rest);
        size_t e = 0;
        while (e < rest.size() && isIdentChar(rest[e])) ++e;
        std::string name(rest.substr(0, e));
        std::string_view args = trim(rest.substr(e));
        auto at = where(&file.name, lineNo);

        if (name == "if" || name == "ifdef" || name == "ifndef") {
            bool outer = active();
            bool cond = false;
            if (outer) {
                if (name == "if") {
                    std::string err;
                    cond = evaluate(args, file, lineNo, err);
                    if (!err.empty()) return err;
                } else {
                    std::string macro(args.substr(0, std::min(args.size(), args.find_first_of(" \t"))));
                    cond = macros_.count(macro) != 0;
                    if (name == "ifndef") cond = !cond;
                }
            }
            branches_.push_back({outer && cond, outer && cond, outer});
            return {};
        }
        if (name == "elif" || name == "else") {
            if (branches_.empty()) return at + "#" + name + " without #if";
            Branch& b = branches_.back();
            bool cond = name == "else";
            if (b.outerActive && !b.taken && name == "elif") {
                std::string err;
                cond = evaluate(args, file, lineNo, err);
                if (!err.empty()) return err;
            }
            b.active = b.outerActive && !b.taken && cond;
            b.taken = b.taken || b.active;
            return {};
        }
        if (name == "endif") {
            if (branches_.empty()) return at + "#endif without #if";
            branches_.pop_back();
            return {};
        }
        if (!active()) return {};
        if (name == "include") {
            if (args.size() >= 2 && args.front() == '<') return {};  // the window system's own headers
            if (args.size() < 2 || args.front() != '"' || args.find('"', 1) == std::string_view::npos)
                return at + "#include needs a \"file\"";
            std::string inc(args.substr(1, args.find('"', 1) - 1));
            if (const ResourceFile* f = findFile(inc)) return processFile(*f, depth + 1, out);
            if (systemHeader(inc)) return {};
            return at + "included file \"" + inc + "\" is not carried with the script";
        }
        if (name == "define") {
            size_t n = 0;
            while (n < args.size() && isIdentChar(args[n])) ++n;
            if (n == 0 || !isIdentStart(args[0])) return at + "#define needs a name";
            std::string macro(args.substr(0, n));
            Macro m;
            std::string_view body = args.substr(n);
            if (!body.empty() && body[0] == '(') {
                m.functionLike = true;  // kept only so that a use can be refused
            } else {
                std::string err = tokenize(trim(body), &file.name, lineNo, m.body);
                if (!err.empty()) return err;
            }
            macros_[macro] = std::move(m);
            return {};
        }
        if (name == "undef") {
            macros_.erase(std::string(args.substr(0, std::min(args.size(), args.find_first_of(" \t")))));
            return {};
        }
        if (name == "pragma" || name == "line" || name.empty()) return {};
        if (name == "error") return at + "#error " + std::string(args);
        return at + "unknown directive #" + name;
    }

    bool evaluate(std::string_view text, const ResourceFile& file, int lineNo, std::string& error) {
        std::vector<Token> raw;
        error = tokenize(text, &file.name, lineNo, raw);
        if (!error.empty()) return false;
        // "defined NAME" and "defined(NAME)" are answered before any name is replaced.
        std::vector<Token> resolved;
        for (size_t i = 0; i < raw.size(); ++i) {
            if (raw[i].kind == Token::Ident && raw[i].text == "defined") {
                size_t j = i + 1;
                bool paren = j < raw.size() && raw[j].text == "(";
                if (paren) ++j;
                if (j >= raw.size() || raw[j].kind != Token::Ident || (paren && (j + 1 >= raw.size() || raw[j + 1].text != ")"))) {
                    error = where(&file.name, lineNo) + "bad use of defined";
                    return false;
                }
                Token t = raw[i];
                t.kind = Token::Number;
                t.value = macros_.count(raw[j].text) ? 1 : 0;
                resolved.push_back(t);
                i = paren ? j + 1 : j;
                continue;
            }
            resolved.push_back(raw[i]);
        }
        std::vector<Token> expanded;
        error = expand(resolved, expanded);
        if (!error.empty()) return false;
        if (expanded.empty()) {
            error = where(&file.name, lineNo) + "#if without a condition";
            return false;
        }
        size_t pos = 0;
        Expression expr(expanded, pos, [](const Token&) -> std::optional<long long> { return 0; }, error);
        long long v = expr.full();
        if (error.empty() && pos != expanded.size()) error = where(&file.name, lineNo) + "unexpected text after the condition";
        return error.empty() && v != 0;
    }

    // Replaces macro names by their bodies, the same name not within its own body.
    std::string expand(const std::vector<Token>& in, std::vector<Token>& out) {
        std::vector<std::string> activeNames;
        return expandInto(in, out, activeNames, nullptr);
    }

    std::string expandInto(const std::vector<Token>& in, std::vector<Token>& out, std::vector<std::string>& activeNames,
                           const Token* site) {
        for (size_t i = 0; i < in.size(); ++i) {
            const Token& t = in[i];
            const Token& at = site ? *site : t;
            auto m = t.kind == Token::Ident ? macros_.find(t.text) : macros_.end();
            if (m == macros_.end() || std::find(activeNames.begin(), activeNames.end(), t.text) != activeNames.end()) {
                Token copy = t;
                copy.file = at.file;
                copy.line = at.line;
                out.push_back(std::move(copy));
                continue;
            }
            if (m->second.functionLike) return where(at.file, at.line) + "macro " + t.text + " takes arguments, which scripts here do not use";
            activeNames.push_back(t.text);
            std::vector<Token> body = m->second.body;
            std::string err = expandInto(body, out, activeNames, &at);
            activeNames.pop_back();
            if (!err.empty()) return err;
        }
        return {};
    }

    const std::vector<ResourceFile>& files_;
    std::map<std::string, Macro> macros_;
    std::vector<Branch> branches_;
};

// ---- Statements ----

class ScriptParser {
public:
    ScriptParser(const std::vector<Token>& tokens, ResourceScript& out) : t_(tokens), out_(out) {}

    std::string run() {
        while (error_.empty() && pos_ < t_.size()) resource();
        return error_;
    }

private:
    const Token* peek(size_t ahead = 0) const { return pos_ + ahead < t_.size() ? &t_[pos_ + ahead] : nullptr; }
    bool isWord(const Token* t, std::string_view word) const { return t && t->kind == Token::Ident && iequals(t->text, word); }
    bool isPunct(const Token* t, std::string_view p) const { return t && t->kind == Token::Punct && t->text == p; }
    bool isBegin(const Token* t) const { return isWord(t, "BEGIN") || isPunct(t, "{"); }
    bool isEnd(const Token* t) const { return isWord(t, "END") || isPunct(t, "}"); }
    // The token is the last on its line.
    bool endsLine(size_t i) const {
        return i + 1 >= t_.size() || t_[i + 1].line != t_[i].line || t_[i + 1].file != t_[i].file;
    }

    void fail(const std::string& why) {
        if (!error_.empty()) return;
        const Token* at = peek() ? peek() : (t_.empty() ? nullptr : &t_.back());
        error_ = (at ? where(at->file, at->line) : std::string()) + why;
    }

    bool expectComma() {
        if (isPunct(peek(), ",")) {
            ++pos_;
            return true;
        }
        fail("expected ','");
        return false;
    }
    bool optionalComma() {
        if (!isPunct(peek(), ",")) return false;
        ++pos_;
        return true;
    }

    static std::optional<long long> lookup(const Token& t) { return builtIn(t.text); }

    long long number() {
        Expression e(t_, pos_, lookup, error_);
        return e.full();
    }

    // A style: operands joined by '|', each of which NOT turns into a removal.
    DWORD style(DWORD initial) {
        long long v = initial;
        Expression e(t_, pos_, lookup, error_);
        do {
            bool remove = isWord(peek(), "NOT");
            if (remove) ++pos_;
            long long operand = e.styleOperand();
            v = remove ? (v & ~operand) : (v | operand);
        } while (error_.empty() && isPunct(peek(), "|") && (++pos_, true));
        return DWORD(v);
    }

    std::string text() {
        const Token* t = peek();
        if (!t) {
            fail("expected a text");
            return {};
        }
        ++pos_;
        if (t->kind == Token::String) return t->text;
        if (t->kind == Token::Number) return "#" + std::to_string(t->value);
        if (t->kind == Token::Ident) return t->text;
        fail("expected a text");
        return {};
    }

    void skipLine() {
        while (pos_ < t_.size() && !endsLine(pos_)) ++pos_;
        if (pos_ < t_.size()) ++pos_;
    }

    void skipBlock() {
        while (peek() && !isBegin(peek())) ++pos_;
        if (!peek()) {
            fail("resource without BEGIN ... END");
            return;
        }
        int depth = 0;
        do {
            if (isBegin(peek())) ++depth;
            else if (isEnd(peek())) --depth;
            ++pos_;
        } while (depth > 0 && peek());
        if (depth > 0) fail("BEGIN without END");
    }

    static bool memoryOption(const Token* t) {
        static constexpr const char* kOptions[] = {"DISCARDABLE", "MOVEABLE", "FIXED",  "PURE",
                                                   "IMPURE",      "PRELOAD",  "LOADONCALL", "SHARED", "NONSHARED"};
        if (!t || t->kind != Token::Ident) return false;
        for (const char* o : kOptions)
            if (iequals(t->text, o)) return true;
        return false;
    }

    void resource() {
        const Token* first = peek();
        if (isWord(first, "LANGUAGE")) return skipLine();
        if (isWord(first, "STRINGTABLE")) return skipBlock();
        if (!first || first->kind == Token::Punct) return fail("expected a resource");
        const Token* type = peek(1);
        if (!type || type->kind == Token::Punct || type->kind == Token::String) return fail("expected a resource type after " + first->text);
        pos_ += 2;
        if (isWord(type, "DIALOG") || isWord(type, "DIALOGEX")) return dialog(*first, isWord(type, "DIALOGEX"));
        // Any other resource: one line naming its file, or a block.
        while (memoryOption(peek())) ++pos_;
        if (peek() && peek()->kind == Token::String && endsLine(pos_)) {
            ++pos_;
            return;
        }
        skipBlock();
    }

    void dialog(const Token& name, bool extended) {
        DialogTemplate d;
        d.extended = extended;
        d.file = name.file ? *name.file : std::string();
        d.line = name.line;
        if (name.kind == Token::Number) {
            if (name.value < 0 || name.value > 0xFFFF) return fail("resource number out of range");
            d.id = int(name.value);
        } else {
            d.name = upper(name.text);
        }
        while (memoryOption(peek())) ++pos_;
        d.x = int(number());
        if (!expectComma()) return;
        d.y = int(number());
        if (!expectComma()) return;
        d.cx = int(number());
        if (!expectComma()) return;
        d.cy = int(number());
        if (extended && optionalComma()) number();  // help id
        bool styleGiven = false;
        while (error_.empty() && peek() && !isBegin(peek())) {
            const Token* opt = peek();
            ++pos_;
            if (isWord(opt, "STYLE")) {
                d.style = style(0);
                styleGiven = true;
            } else if (isWord(opt, "EXSTYLE")) {
                d.exStyle = style(0);
            } else if (isWord(opt, "CAPTION")) {
                if (!peek() || peek()->kind != Token::String) return fail("CAPTION needs a text");
                d.caption = text();
            } else if (isWord(opt, "FONT")) {
                d.fontSize = int(number());
                if (!expectComma()) return;
                if (!peek() || peek()->kind != Token::String) return fail("FONT needs a typeface text");
                d.fontFace = text();
                if (optionalComma()) d.fontWeight = int(number());
                if (optionalComma()) d.fontItalic = number() != 0;
                if (optionalComma()) d.fontCharset = int(number());
            } else if (isWord(opt, "CLASS")) {
                d.className = text();
            } else if (isWord(opt, "MENU")) {
                text();
            } else if (isWord(opt, "CHARACTERISTICS") || isWord(opt, "VERSION")) {
                number();
            } else if (isWord(opt, "LANGUAGE")) {
                --pos_;
                skipLine();
            } else {
                return fail("unexpected " + opt->text + " in the dialog's header");
            }
        }
        if (!error_.empty()) return;
        if (!peek()) return fail("dialog without BEGIN");
        if (!styleGiven) d.style = kDialogDefaultStyle | (d.caption.empty() ? 0 : WS_CAPTION);
        if (d.fontSize) d.style |= DS_SETFONT;
        ++pos_;
        while (error_.empty() && peek() && !isEnd(peek())) control(d);
        if (!error_.empty()) return;
        if (!peek()) return fail("dialog without END");
        ++pos_;
        for (const DialogTemplate& other : out_.dialogs)
            if ((d.id >= 0 && other.id == d.id) || (!d.name.empty() && other.name == d.name))
                return fail("dialog " + (d.id >= 0 ? std::to_string(d.id) : d.name) + " is defined twice");
        out_.dialogs.push_back(std::move(d));
    }

    static std::string canonicalClass(const std::string& name) {
        for (const ClassAlias& a : kClassAliases)
            if (iequals(name, a.alias)) return a.className;
        return name;
    }

    void control(DialogTemplate& d) {
        const Token* kw = peek();
        if (!kw || kw->kind != Token::Ident) return fail("expected a control statement");
        ControlTemplate c;
        c.statement = upper(kw->text);
        c.line = kw->line;
        ++pos_;
        if (c.statement == "CONTROL") {
            c.text = text();
            if (!expectComma()) return;
            c.id = int(number());
            if (!expectComma()) return;
            const Token* cls = peek();
            if (!cls || cls->kind == Token::Punct || cls->kind == Token::Number) return fail("CONTROL needs a class");
            ++pos_;
            c.className = canonicalClass(cls->text);
            if (cls->kind == Token::Ident && c.className == cls->text) return fail("unknown control class " + cls->text);
            if (!expectComma()) return;
            c.style = style(kControlBase);
            if (!expectComma()) return;
            rectangle(c, false);
            if (optionalComma()) c.exStyle = style(0);
            if (d.extended && optionalComma()) number();
        } else {
            const Statement* s = nullptr;
            for (const Statement& candidate : kStatements)
                if (c.statement == candidate.name) s = &candidate;
            if (!s) return fail("unknown control statement " + kw->text);
            c.className = s->className;
            if (s->hasText) {
                c.text = text();
                if (!expectComma()) return;
            }
            c.id = int(number());
            if (!expectComma()) return;
            rectangle(c, c.statement == "ICON");
            DWORD base = kControlBase | s->always;
            if (optionalComma()) c.style = style(base);
            else c.style = base | s->unlessGiven;
            if (optionalComma()) c.exStyle = style(0);
            if (d.extended && optionalComma()) number();
        }
        if (error_.empty()) d.controls.push_back(std::move(c));
    }

    // x, y, cx, cy; an icon may leave out its size.
    void rectangle(ControlTemplate& c, bool sizeOptional) {
        c.x = int(number());
        if (!expectComma()) return;
        c.y = int(number());
        if (sizeOptional && !isPunct(peek(), ",")) return;
        if (sizeOptional) {
            // An icon's size is there only when two numbers follow.
            const Token* after = peek(1);
            if (!after || after->kind == Token::Ident) return;
        }
        if (!expectComma()) return;
        c.cx = int(number());
        if (!expectComma()) return;
        c.cy = int(number());
    }

    const std::vector<Token>& t_;
    ResourceScript& out_;
    size_t pos_ = 0;
    std::string error_;
};

}  // namespace

std::string parseResourceScript(const std::vector<ResourceFile>& files, ResourceScript& out) {
    std::vector<Token> tokens;
    Preprocessor pre(files);
    std::string err = pre.run(tokens);
    if (!err.empty()) return err;
    ScriptParser parser(tokens, out);
    return parser.run();
}

const DialogTemplate* ResourceScript::findDialog(LPCSTR name) const {
    if (IS_INTRESOURCE(name)) {
        int id = int(reinterpret_cast<UINT_PTR>(name));
        for (const DialogTemplate& d : dialogs)
            if (d.id == id) return &d;
        return nullptr;
    }
    std::string_view text(name);
    if (!text.empty() && text[0] == '#') {
        int id = 0;
        auto [end, ec] = std::from_chars(text.data() + 1, text.data() + text.size(), id);
        if (ec != std::errc() || end != text.data() + text.size()) return nullptr;
        return findDialog(MAKEINTRESOURCE(id));
    }
    for (const DialogTemplate& d : dialogs)
        if (!d.name.empty() && iequals(d.name, text)) return &d;
    return nullptr;
}

}  // namespace hostsim
