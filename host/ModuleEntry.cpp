// The seven exports that the simulator looks up in every vessel module, and the
// registration of the dialog custom controls.
#include "ModuleBinding.h"
#include "ModuleHooks.h"
#include "ScnEditorAPI.h"

HINSTANCE moduleInstance = nullptr;

namespace {

// The plug-in interface version these modules are built against.
constexpr const char* kInterfaceDate = "Aug 30 2010";
// The modules' own build date, in a buffer of its own: the interface hands it out as char*.
char moduleDate[] = "Aug 25 2017";

int cachedVersion = 0;

// Drawing objects of the custom controls, in creation order.
HPEN controlFramePen = nullptr;
HPEN controlShadowPen = nullptr;
HBRUSH controlRedBrush = nullptr;
HBRUSH controlFaceBrush = nullptr;

// The gauge and switch controls draw nothing of their own here.
LRESULT CALLBACK GaugeProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProc(wnd, msg, wParam, lParam);
}
LRESULT CALLBACK SwitchProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProc(wnd, msg, wParam, lParam);
}

void RegisterCustomControls(HINSTANCE instance) {
    controlFramePen = CreatePen(PS_SOLID, 1, RGB(64, 64, 64));
    controlShadowPen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    controlRedBrush = CreateSolidBrush(RGB(255, 0, 0));
    controlFaceBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));

    WNDCLASS wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = GaugeProc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 16;
    wc.hInstance = instance;
    wc.hIcon = nullptr;
    wc.hCursor = nullptr;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = "OrbiterCtrl_Gauge";
    RegisterClass(&wc);

    wc.lpfnWndProc = SwitchProc;
    wc.cbWndExtra = 8;
    wc.hbrBackground = controlFaceBrush;
    wc.lpszClassName = "OrbiterCtrl_Switch";
    RegisterClass(&wc);
}

void UnregisterCustomControls(HINSTANCE instance) {
    UnregisterClass("OrbiterCtrl_Gauge", instance);
    UnregisterClass("OrbiterCtrl_Switch", instance);
    DeleteObject(controlFramePen);
    DeleteObject(controlShadowPen);
    DeleteObject(controlRedBrush);
    DeleteObject(controlFaceBrush);
    controlFramePen = controlShadowPen = nullptr;
    controlRedBrush = controlFaceBrush = nullptr;
}

}  // namespace

DLLCLBK void InitModule(HINSTANCE hModule) {
    moduleInstance = hModule;
    RegisterCustomControls(hModule);
}

// Both modules remove what InitModule registered, so that a module can be loaded
// again in the same process.
DLLCLBK void ExitModule(HINSTANCE hModule) { UnregisterCustomControls(hModule); }

DLLCLBK int GetModuleVersion() {
    if (cachedVersion == 0) cachedVersion = Date2Int(kInterfaceDate);
    return cachedVersion;
}

DLLCLBK char* ModuleDate() { return moduleDate; }

DLLCLBK VESSEL* ovcInit(OBJHANDLE hVessel, int flightModel) { return CreateModuleVessel(hVessel, flightModel); }

DLLCLBK void ovcExit(VESSEL* vessel) {
    if (vessel) DestroyModuleVessel(vessel);
}

DLLCLBK void secInit(HWND hEditor, OBJHANDLE vessel) { AddEditorPages(hEditor, vessel); }
