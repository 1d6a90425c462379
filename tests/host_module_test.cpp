// The module entry layer as the host sees it: exports, load and unload order, the
// custom control registration, version and date.
#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "../host/ModuleBinding.h"
#include "HostTest.h"
#include "hostsim/WindowSystem.h"

using hostsim::DrawingObject;
using hostsim::WindowSystem;

namespace {

class ModuleEntry : public HostTest {
protected:
    hostsim::Module* loadSpanrig() {
        host().journal().enable();
        hostsim::Module* m = host().loadModule("Spanrig");
        EXPECT_NE(m, nullptr);
        return m;
    }
    void* symbol(hostsim::Module* m, const char* name) { return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(m->library), name)); }
};

TEST_F(ModuleEntry, exports_the_seven_entry_points_unmangled) {
    hostsim::Module* m = loadSpanrig();
    for (const char* name : {"InitModule", "ExitModule", "GetModuleVersion", "ModuleDate", "ovcInit", "ovcExit", "secInit"})
        EXPECT_NE(symbol(m, name), nullptr) << name;
    EXPECT_EQ(symbol(m, "opcDLLExit"), nullptr);
    // A symbol of the host library is not the module's own.
    EXPECT_EQ(symbol(m, "oapiWriteLog"), nullptr);
}

// The module's dynamic symbol table, as the loader sees it.
std::vector<std::string> definedExports(const std::filesystem::path& file) {
    std::vector<std::string> names;
    std::string command = "nm -D --defined-only " + file.string() + " 2>&1";
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char line[512];
        while (std::fgets(line, sizeof line, pipe)) {
            std::string text = line;
            auto last = text.find_last_of(' ');
            names.push_back(text.substr(last + 1, text.find_last_not_of("\r\n") - last));
        }
        pclose(pipe);
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(ModuleEntry, both_modules_export_exactly_their_seven_entry_points) {
    const std::vector<std::string> seven = {"ExitModule", "GetModuleVersion", "InitModule", "ModuleDate",
                                            "ovcExit",    "ovcInit",          "secInit"};
    for (const char* module : {"Spanrig", "Haulbed"})
        EXPECT_EQ(definedExports(std::filesystem::path(HOSTSIM_TEST_ROOT) / "Modules" / (std::string(module) + ".so")), seven)
            << module;
}

TEST_F(ModuleEntry, load_calls_InitLib_then_InitModule_registers_controls_and_drawing_objects) {
    hostsim::Module* m = loadSpanrig();
    auto names = host().journal().names();
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names.front(), "InitLib");
    std::vector<std::string> registration;
    for (const auto& n : names)
        if (n != "InitLib" && n != "Date2Int") registration.push_back(n);
    EXPECT_EQ(registration, (std::vector<std::string>{"CreatePen", "CreatePen", "CreateSolidBrush", "CreateSolidBrush",
                                                      "RegisterClass", "RegisterClass"}));
    EXPECT_EQ(host().log().front(), "Module Spanrig.so [Build Aug 25 2017, API 100830]");

    auto& ws = WindowSystem::instance();
    auto instance = static_cast<HINSTANCE>(m->library);
    const hostsim::WindowClass* gauge = ws.findClass("OrbiterCtrl_Gauge", instance);
    const hostsim::WindowClass* sw = ws.findClass("OrbiterCtrl_Switch", instance);
    ASSERT_NE(gauge, nullptr);
    ASSERT_NE(sw, nullptr);
    for (const auto* c : {gauge, sw}) {
        EXPECT_EQ(c->attributes.style, UINT(CS_HREDRAW | CS_VREDRAW));
        EXPECT_EQ(c->attributes.cbClsExtra, 0);
        EXPECT_EQ(c->attributes.hIcon, nullptr);
        EXPECT_EQ(c->attributes.hCursor, nullptr);
        EXPECT_NE(c->attributes.lpfnWndProc, nullptr);
    }
    EXPECT_EQ(gauge->attributes.cbWndExtra, 16);
    EXPECT_EQ(sw->attributes.cbWndExtra, 8);
    EXPECT_EQ(gauge->attributes.hbrBackground, GetStockObject(LTGRAY_BRUSH));

    const auto& objects = ws.objects();
    ASSERT_EQ(objects.size(), 4u);
    EXPECT_EQ(objects[0]->kind, DrawingObject::Kind::Pen);
    EXPECT_EQ(objects[0]->colour, RGB(64, 64, 64));
    EXPECT_EQ(objects[0]->width, 1);
    EXPECT_EQ(objects[0]->style, PS_SOLID);
    EXPECT_EQ(objects[1]->kind, DrawingObject::Kind::Pen);
    EXPECT_EQ(objects[1]->colour, GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(objects[2]->kind, DrawingObject::Kind::Brush);
    EXPECT_EQ(objects[2]->colour, COLORREF(255));
    EXPECT_EQ(objects[3]->kind, DrawingObject::Kind::Brush);
    EXPECT_EQ(objects[3]->colour, GetSysColor(COLOR_BTNFACE));
    // The switch's background is the face brush that InitModule made.
    EXPECT_EQ(sw->attributes.hbrBackground, static_cast<HBRUSH>(static_cast<HGDIOBJ>(objects[3].get())));
}

TEST_F(ModuleEntry, unload_runs_ExitModule_which_removes_controls_and_objects_in_order) {
    loadSpanrig();
    auto& ws = WindowSystem::instance();
    std::vector<HGDIOBJ> created;
    for (const auto& o : ws.objects()) created.push_back(o.get());
    host().journal().clear();
    host().unloadModule("Spanrig");
    std::vector<std::string> expected = {"UnregisterClass OrbiterCtrl_Gauge", "UnregisterClass OrbiterCtrl_Switch"};
    for (HGDIOBJ o : created) expected.push_back("DeleteObject " + [&] {
        char buf[24];
        std::snprintf(buf, sizeof buf, "%p", o);
        return std::string(buf);
    }());
    EXPECT_EQ(host().journal().entries(), expected);
    EXPECT_TRUE(ws.classes().empty());
    for (const auto& o : ws.objects()) EXPECT_TRUE(o->deleted);
}

TEST_F(ModuleEntry, a_module_with_only_opcDLLExit_gets_it_called_and_one_with_neither_gets_nothing) {
    ASSERT_NE(host().loadModule("OnlyDllExit"), nullptr);
    ASSERT_NE(host().loadModule("NoExit"), nullptr);
    EXPECT_EQ(std::count(host().log().begin(), host().log().end(), "OnlyDllExit: InitModule"), 1);
    EXPECT_EQ(std::count(host().log().begin(), host().log().end(), "NoExit: InitModule"), 1);
    size_t before = host().log().size();
    host().unloadModule("OnlyDllExit");
    host().unloadModule("NoExit");
    std::vector<std::string> after(host().log().begin() + long(before), host().log().end());
    EXPECT_EQ(after, std::vector<std::string>{"OnlyDllExit: opcDLLExit"});
}

TEST_F(ModuleEntry, version_is_stable_and_Date2Int_runs_once_and_the_date_is_fixed) {
    hostsim::Module* m = loadSpanrig();
    ASSERT_NE(m->getModuleVersion, nullptr);
    EXPECT_EQ(m->getModuleVersion(), 100830);
    EXPECT_EQ(m->getModuleVersion(), 100830);
    EXPECT_EQ(m->getModuleVersion(), 100830);
    EXPECT_EQ(host().journal().calls("Date2Int"), std::vector<std::string>{"Date2Int Aug 30 2010"});
    auto date = reinterpret_cast<char* (*)()>(symbol(m, "ModuleDate"));
    ASSERT_NE(date, nullptr);
    EXPECT_STREQ(date(), "Aug 25 2017");
}

TEST(Date2Int, reads_month_day_and_year_and_refuses_anything_else) {
    EXPECT_EQ(Date2Int("Aug 30 2010"), 100830);
    EXPECT_EQ(Date2Int("Jan 1 2001"), 10101);
    EXPECT_EQ(Date2Int("Dec 31 1999"), 991231);
    EXPECT_EQ(Date2Int("Foo 30 2010"), 0);
    EXPECT_EQ(Date2Int("Aug 2010"), 0);
    EXPECT_EQ(Date2Int(""), 0);
    EXPECT_EQ(Date2Int(nullptr), 0);
}

TEST_F(ModuleEntry, ovcInit_and_ovcExit_create_and_destroy_exactly_one_vessel_object) {
    host().journal().enable();
    OBJHANDLE h = make("T1", "Truss");
    ASSERT_NE(h, nullptr);
    VESSEL* iface = oapiGetVesselInterface(h);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->GetHandle(), h);
    EXPECT_STREQ(iface->GetName(), "T1");
    EXPECT_STREQ(iface->GetClassName(), "Truss");
    EXPECT_EQ(host().vessels().size(), 1u);
    host().destroyVessel(h);
    EXPECT_FALSE(oapiIsVessel(h));
    EXPECT_EQ(oapiGetVesselInterface(h), nullptr);
    EXPECT_TRUE(host().vessels().empty());
}

TEST_F(ModuleEntry, a_missing_module_makes_a_plain_vessel_and_is_logged) {
    hostsim::Module* m = host().loadModule("DoesNotExist");
    EXPECT_EQ(m, nullptr);
    ASSERT_FALSE(host().log().empty());
    EXPECT_NE(host().log().back().find("Module DoesNotExist could not be loaded"), std::string::npos);
}

}  // namespace
