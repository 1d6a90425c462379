// Vessel base classes. A module derives its vessel class from VESSEL3 and overrides
// the callbacks it needs; the member functions reach the simulator. VESSEL has no
// virtual function and none of the three declares a destructor: a module destroys
// its objects through its own class, and finds out what a VESSEL* is through Version().
#pragma once

#include "OrbiterAPI.h"

class VESSEL {
public:
    VESSEL(OBJHANDLE hVessel, int fmodel = 1);

    // 0 for a VESSEL, 1 for a VESSEL2, 2 for a VESSEL3: the callbacks the object has.
    int Version() const { return version; }

    OBJHANDLE GetHandle() const { return hVessel; }
    char* GetName() const;
    char* GetClassName() const;

    // Meshes.
    UINT AddMesh(const char* meshName, const VECTOR3* ofs = nullptr) const;
    bool DelMesh(UINT idx, bool retainAnim = false) const;
    bool ShiftMesh(UINT idx, const VECTOR3& ofs) const;
    UINT GetMeshCount() const;

    // Docking ports.
    DOCKHANDLE CreateDock(const VECTOR3& pos, const VECTOR3& dir, const VECTOR3& rot) const;
    bool DelDock(DOCKHANDLE hDock) const;
    void SetDockParams(DOCKHANDLE hDock, const VECTOR3& pos, const VECTOR3& dir, const VECTOR3& rot) const;
    void GetDockParams(DOCKHANDLE hDock, VECTOR3& pos, VECTOR3& dir, VECTOR3& rot) const;
    UINT DockCount() const;
    DOCKHANDLE GetDockHandle(UINT n) const;
    OBJHANDLE GetDockStatus(DOCKHANDLE hDock) const;
    bool Undock(UINT n, const OBJHANDLE exclude = nullptr) const;

    // Attachment points.
    ATTACHMENTHANDLE CreateAttachment(bool toparent, const VECTOR3& pos, const VECTOR3& dir, const VECTOR3& rot,
                                      const char* id, bool loose = false) const;
    bool DelAttachment(ATTACHMENTHANDLE attachment) const;
    void SetAttachmentParams(ATTACHMENTHANDLE attachment, const VECTOR3& pos, const VECTOR3& dir,
                             const VECTOR3& rot) const;
    void GetAttachmentParams(ATTACHMENTHANDLE attachment, VECTOR3& pos, VECTOR3& dir, VECTOR3& rot) const;
    const char* GetAttachmentId(ATTACHMENTHANDLE attachment) const;
    OBJHANDLE GetAttachmentStatus(ATTACHMENTHANDLE attachment) const;
    DWORD AttachmentCount(bool toparent) const;
    DWORD GetAttachmentIndex(ATTACHMENTHANDLE attachment) const;
    ATTACHMENTHANDLE GetAttachmentHandle(bool toparent, DWORD i) const;
    bool AttachChild(OBJHANDLE child, ATTACHMENTHANDLE attachment, ATTACHMENTHANDLE childAttachment) const;
    bool DetachChild(ATTACHMENTHANDLE attachment, double vel = 0.0) const;

    // Animations.
    UINT CreateAnimation(double initialState) const;
    ANIMATIONCOMPONENT_HANDLE AddAnimationComponent(UINT anim, double state0, double state1, MGROUP_TRANSFORM* trans,
                                                    ANIMATIONCOMPONENT_HANDLE parent = nullptr) const;
    bool DelAnimationComponent(UINT anim, ANIMATIONCOMPONENT_HANDLE hAC);
    bool DelAnimation(UINT anim) const;
    bool SetAnimation(UINT anim, double state) const;
    double GetAnimation(UINT anim) const;

    // Mass and frames.
    void SetEmptyMass(double emass) const;
    double GetEmptyMass() const;
    void GetGlobalPos(VECTOR3& pos) const;
    void Global2Local(const VECTOR3& glob, VECTOR3& loc) const;
    void Local2Global(const VECTOR3& loc, VECTOR3& glob) const;

    // Scenario lines that the vessel does not read itself.
    void ParseScenarioLineEx(char* line, void* status) const;

protected:
    int version;  // set by the constructor of each class

private:
    OBJHANDLE hVessel;
    int flightModel;
};

class VESSEL2 : public VESSEL {
public:
    VESSEL2(OBJHANDLE hVessel, int fmodel = 1);

    virtual void clbkSetClassCaps(FILEHANDLE cfg);
    virtual void clbkSaveState(FILEHANDLE scn);
    virtual void clbkLoadStateEx(FILEHANDLE scn, void* status);
    virtual void clbkPostCreation();
    virtual void clbkPreStep(double simt, double simdt, double mjd);
    virtual void clbkPostStep(double simt, double simdt, double mjd);
    virtual void clbkDockEvent(int dock, OBJHANDLE mate);
    virtual int clbkConsumeBufferedKey(DWORD key, bool down, char* kstate);
};

class VESSEL3 : public VESSEL2 {
public:
    VESSEL3(OBJHANDLE hVessel, int fmodel = 1);

    virtual int clbkGeneric(int msgid = 0, int prm = 0, void* context = NULL);
};
