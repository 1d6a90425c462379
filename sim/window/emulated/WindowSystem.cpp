// The window-system subset: class registration, drawing objects and system colours.
#include "hostsim/WindowSystem.h"

#include <cstring>

#include "Text.h"
#include "hostsim/Dialogs.h"
#include "hostsim/Host.h"

namespace hostsim {

namespace {
void journal(std::string entry) { Host::instance().journal().record(std::move(entry)); }

// A host reset forgets the window system's state with the run's.
[[maybe_unused]] const bool resetWithHost = (Host::instance().addResetHook([] { WindowSystem::instance().reset(); }), true);
}  // namespace

WindowSystem& WindowSystem::instance() {
    static WindowSystem& ws = *new WindowSystem;  // see Host::instance
    return ws;
}

void WindowSystem::reset() {
    classes_.clear();
    objects_.clear();
    // Every dialog goes without messages: its module is gone by now.
    forgetWindows();
}

std::string windowPicture(HWND, const std::filesystem::path&) {
    return "a picture of a page needs a window system that draws: run hostsim.exe (under Wine on Linux)";
}

bool classRegistered(const std::string& name, HINSTANCE instance) {
    return WindowSystem::instance().findClass(name, instance) != nullptr;
}

const WindowClass* WindowSystem::findClass(const std::string& name, HINSTANCE instance) const {
    for (const auto& c : classes_)
        if (iequals(c.name, name) && c.attributes.hInstance == instance) return &c;
    return nullptr;
}

const DrawingObject* WindowSystem::object(HGDIOBJ handle) const {
    for (const auto& o : objects_)
        if (o.get() == handle) return o.get();
    for (const auto& o : stock_)
        if (o.get() == handle) return o.get();
    return nullptr;
}

ATOM WindowSystem::registerClass(const WNDCLASS& wc) {
    if (!wc.lpszClassName || findClass(wc.lpszClassName, wc.hInstance)) return 0;
    WindowClass c;
    c.name = wc.lpszClassName;
    c.attributes = wc;
    c.attributes.lpszClassName = nullptr;
    c.attributes.lpszMenuName = nullptr;
    classes_.push_back(c);
    return ATOM(0xC000 + classes_.size());
}

bool WindowSystem::unregisterClass(const std::string& name, HINSTANCE instance) {
    for (auto it = classes_.begin(); it != classes_.end(); ++it) {
        if (iequals(it->name, name) && it->attributes.hInstance == instance) {
            classes_.erase(it);
            return true;
        }
    }
    return false;
}

HGDIOBJ WindowSystem::createObject(DrawingObject object) {
    objects_.push_back(std::make_unique<DrawingObject>(object));
    return objects_.back().get();
}

HGDIOBJ WindowSystem::stockObject(int index) {
    if (index < WHITE_BRUSH || index > NULL_BRUSH) return nullptr;
    for (const auto& o : stock_)
        if (o->stockIndex == index) return o.get();
    DrawingObject o;
    o.kind = DrawingObject::Kind::Stock;
    o.stockIndex = index;
    stock_.push_back(std::make_unique<DrawingObject>(o));
    return stock_.back().get();
}

bool WindowSystem::deleteObject(HGDIOBJ handle) {
    for (auto& o : objects_) {
        if (o.get() == handle && !o->deleted) {
            o->deleted = true;
            return true;
        }
    }
    return false;  // stock objects, unknown and already deleted objects
}

}  // namespace hostsim

using hostsim::DrawingObject;
using hostsim::WindowSystem;

ATOM RegisterClass(const WNDCLASS* wc) {
    if (!wc) return 0;
    hostsim::journal(std::string("RegisterClass ") + (wc->lpszClassName ? wc->lpszClassName : ""));
    return WindowSystem::instance().registerClass(*wc);
}

BOOL UnregisterClass(LPCSTR className, HINSTANCE instance) {
    hostsim::journal(std::string("UnregisterClass ") + (className ? className : ""));
    return className && WindowSystem::instance().unregisterClass(className, instance);
}

LRESULT DefWindowProc(HWND, UINT, WPARAM, LPARAM) { return 0; }

HPEN CreatePen(int style, int width, COLORREF colour) {
    DrawingObject o;
    o.kind = DrawingObject::Kind::Pen;
    o.style = style;
    o.width = width;
    o.colour = colour;
    auto h = WindowSystem::instance().createObject(o);
    hostsim::journal("CreatePen " + std::to_string(style) + " " + std::to_string(width) + " " +
                     std::to_string(colour) + " " + hostsim::formatPointer(h));
    return static_cast<HPEN>(h);
}

HBRUSH CreateSolidBrush(COLORREF colour) {
    DrawingObject o;
    o.kind = DrawingObject::Kind::Brush;
    o.colour = colour;
    auto h = WindowSystem::instance().createObject(o);
    hostsim::journal("CreateSolidBrush " + std::to_string(colour) + " " + hostsim::formatPointer(h));
    return static_cast<HBRUSH>(h);
}

HGDIOBJ GetStockObject(int index) { return WindowSystem::instance().stockObject(index); }

BOOL DeleteObject(HGDIOBJ object) {
    hostsim::journal("DeleteObject " + hostsim::formatPointer(object));
    return WindowSystem::instance().deleteObject(object);
}

DWORD GetSysColor(int index) {
    switch (index) {
    case COLOR_BTNFACE: return RGB(240, 240, 240);
    case COLOR_BTNSHADOW: return RGB(160, 160, 160);
    default: return RGB(0, 0, 0);
    }
}
