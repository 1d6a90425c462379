// The window system's registry as the host keeps it: window classes and drawing
// objects that modules create, for tests and the program to inspect.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "windows.h"

namespace hostsim {

struct WindowClass {
    std::string name;
    WNDCLASS attributes{};  // lpszClassName and lpszMenuName are not kept
};

struct DrawingObject {
    enum class Kind { Pen, Brush, Stock };
    Kind kind = Kind::Pen;
    int style = 0;
    int width = 0;
    COLORREF colour = 0;
    int stockIndex = -1;
    bool deleted = false;
};

class WindowSystem {
public:
    static WindowSystem& instance();
    void reset();

    const std::vector<WindowClass>& classes() const { return classes_; }
    const WindowClass* findClass(const std::string& name, HINSTANCE instance) const;
    const std::vector<std::unique_ptr<DrawingObject>>& objects() const { return objects_; }
    // The record behind a drawing-object handle, or null.
    const DrawingObject* object(HGDIOBJ handle) const;

    // The window system's own side of the calls in windows.h.
    ATOM registerClass(const WNDCLASS& wc);
    bool unregisterClass(const std::string& name, HINSTANCE instance);
    HGDIOBJ createObject(DrawingObject object);
    HGDIOBJ stockObject(int index);
    bool deleteObject(HGDIOBJ handle);

private:
    std::vector<WindowClass> classes_;
    std::vector<std::unique_ptr<DrawingObject>> objects_;
    std::vector<std::unique_ptr<DrawingObject>> stock_;
};

}  // namespace hostsim
