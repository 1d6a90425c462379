// The simulator's plug-in interface as the modules see it: vector types, handles,
// animation transforms, key codes and the oapi... functions.
#pragma once

#include <windows.h>

// DLLCLBK marks a module's entry points, which the simulator looks up by name;
// OAPIFUNC the simulator's own functions, which a module imports from it. Whoever
// implements the interface defines OAPI_IMPLEMENTATION, so that it exports them.
#ifdef _WIN32
#define DLLCLBK extern "C" __declspec(dllexport)
#ifdef OAPI_IMPLEMENTATION
#define OAPIFUNC __declspec(dllexport)
#else
#define OAPIFUNC __declspec(dllimport)
#endif
#else
#define DLLCLBK extern "C" __attribute__((visibility("default")))
#define OAPIFUNC
#endif

union VECTOR3 {
    double data[3];
    struct {
        double x, y, z;
    };
};

union MATRIX3 {
    double data[9];
    struct {
        double m11, m12, m13, m21, m22, m23, m31, m32, m33;
    };
};

inline VECTOR3 _V(double x, double y, double z) {
    VECTOR3 v;
    v.x = x;
    v.y = y;
    v.z = z;
    return v;
}

inline VECTOR3 operator+(const VECTOR3& a, const VECTOR3& b) { return _V(a.x + b.x, a.y + b.y, a.z + b.z); }
inline VECTOR3 operator-(const VECTOR3& a, const VECTOR3& b) { return _V(a.x - b.x, a.y - b.y, a.z - b.z); }
inline VECTOR3 operator-(const VECTOR3& a) { return _V(-a.x, -a.y, -a.z); }
inline VECTOR3 operator*(const VECTOR3& a, double f) { return _V(a.x * f, a.y * f, a.z * f); }
inline VECTOR3 operator/(const VECTOR3& a, double f) { return _V(a.x / f, a.y / f, a.z / f); }
inline double dotp(const VECTOR3& a, const VECTOR3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline VECTOR3 crossp(const VECTOR3& a, const VECTOR3& b) {
    return _V(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}
inline MATRIX3 _M(double m11, double m12, double m13, double m21, double m22, double m23, double m31,
                  double m32, double m33) {
    MATRIX3 m;
    m.m11 = m11, m.m12 = m12, m.m13 = m13;
    m.m21 = m21, m.m22 = m22, m.m23 = m23;
    m.m31 = m31, m.m32 = m32, m.m33 = m33;
    return m;
}
inline VECTOR3 mul(const MATRIX3& m, const VECTOR3& v) {
    return _V(m.m11 * v.x + m.m12 * v.y + m.m13 * v.z, m.m21 * v.x + m.m22 * v.y + m.m23 * v.z,
              m.m31 * v.x + m.m32 * v.y + m.m33 * v.z);
}

// Opaque handles issued by the simulator.
using OBJHANDLE = void*;
using FILEHANDLE = void*;
using DOCKHANDLE = void*;
using ATTACHMENTHANDLE = void*;
using MESHHANDLE = void*;
using ANIMATIONCOMPONENT_HANDLE = void*;

// Undock() argument that releases every port.
constexpr UINT ALLDOCKS = UINT(-1);

// Mesh-group transforms of an animation component. The simulator keeps pointers to
// them and to their group lists; the vessel that creates them owns them.
class MGROUP_TRANSFORM {
public:
    enum TYPE { NULLTRANSFORM, ROTATE, TRANSLATE, SCALE };
    MGROUP_TRANSFORM() : mesh(0), grp(nullptr), ngrp(0) {}
    MGROUP_TRANSFORM(UINT mesh_, UINT* grp_, UINT ngrp_) : mesh(mesh_), grp(grp_), ngrp(ngrp_) {}
    virtual ~MGROUP_TRANSFORM() = default;
    virtual TYPE Type() const { return NULLTRANSFORM; }

    UINT mesh;
    UINT* grp;
    UINT ngrp;
};

class MGROUP_ROTATE : public MGROUP_TRANSFORM {
public:
    MGROUP_ROTATE(UINT mesh_, UINT* grp_, UINT ngrp_, const VECTOR3& ref_, const VECTOR3& axis_, float angle_)
        : MGROUP_TRANSFORM(mesh_, grp_, ngrp_), ref(ref_), axis(axis_), angle(angle_) {}
    TYPE Type() const override { return ROTATE; }

    VECTOR3 ref;
    VECTOR3 axis;
    float angle;  // radians
};

class MGROUP_TRANSLATE : public MGROUP_TRANSFORM {
public:
    MGROUP_TRANSLATE(UINT mesh_, UINT* grp_, UINT ngrp_, const VECTOR3& shift_)
        : MGROUP_TRANSFORM(mesh_, grp_, ngrp_), shift(shift_) {}
    TYPE Type() const override { return TRANSLATE; }

    VECTOR3 shift;
};

// Keyboard scan codes.
// Nonzero while the key is held in a key-state array.
#define KEYDOWN(buf, key) (buf[key] & 0x80)
constexpr DWORD OAPI_KEY_ESCAPE = 0x01;
constexpr DWORD OAPI_KEY_Q = 0x10, OAPI_KEY_W = 0x11, OAPI_KEY_E = 0x12, OAPI_KEY_R = 0x13, OAPI_KEY_T = 0x14,
                OAPI_KEY_Y = 0x15, OAPI_KEY_U = 0x16, OAPI_KEY_I = 0x17, OAPI_KEY_O = 0x18, OAPI_KEY_P = 0x19;
constexpr DWORD OAPI_KEY_LCONTROL = 0x1D;
constexpr DWORD OAPI_KEY_A = 0x1E, OAPI_KEY_S = 0x1F, OAPI_KEY_D = 0x20, OAPI_KEY_F = 0x21, OAPI_KEY_G = 0x22,
                OAPI_KEY_H = 0x23, OAPI_KEY_J = 0x24, OAPI_KEY_K = 0x25, OAPI_KEY_L = 0x26;
constexpr DWORD OAPI_KEY_LSHIFT = 0x2A;
constexpr DWORD OAPI_KEY_Z = 0x2C, OAPI_KEY_X = 0x2D, OAPI_KEY_C = 0x2E, OAPI_KEY_V = 0x2F, OAPI_KEY_B = 0x30,
                OAPI_KEY_N = 0x31, OAPI_KEY_M = 0x32;
constexpr DWORD OAPI_KEY_RSHIFT = 0x36;
constexpr DWORD OAPI_KEY_LALT = 0x38;
constexpr DWORD OAPI_KEY_SPACE = 0x39;
constexpr DWORD OAPI_KEY_RCONTROL = 0x9D;
constexpr DWORD OAPI_KEY_RALT = 0xB8;

class VESSEL;

// Log.
OAPIFUNC void oapiWriteLog(char* line);

// Vessels and objects.
OAPIFUNC VESSEL* oapiGetVesselInterface(OBJHANDLE hVessel);
OAPIFUNC OBJHANDLE oapiGetVesselByName(char* name);
OAPIFUNC DWORD oapiGetVesselCount();
OAPIFUNC OBJHANDLE oapiGetVesselByIndex(int index);
OAPIFUNC bool oapiIsVessel(OBJHANDLE hVessel);
OAPIFUNC void oapiGetObjectName(OBJHANDLE hObj, char* name, int n);

// Scenario files.
OAPIFUNC bool oapiReadScenario_nextline(FILEHANDLE scn, char*& line);
OAPIFUNC void oapiWriteScenario_string(FILEHANDLE scn, char* item, char* string);
OAPIFUNC void oapiWriteScenario_int(FILEHANDLE scn, char* item, int i);
OAPIFUNC void oapiWriteScenario_float(FILEHANDLE scn, char* item, double d);
OAPIFUNC void oapiWriteScenario_vec(FILEHANDLE scn, char* item, const VECTOR3& vec);

// Text input box. Clbk gets the box, the entered text and usrdata, and returns
// whether the input was accepted.
OAPIFUNC void oapiOpenInputBox(char* title, bool (*Clbk)(void*, char*, void*), char* buf = 0, int vislen = 20,
                               void* usrdata = 0);

#ifdef ORBITER_MODULE
// The module's build date, as text.
DLLCLBK char* ModuleDate();
#endif
