// XCore.Interfaces.h: the framework's base interfaces: locking, assignment, naming,
// serialisation hooks and the data-storable switch.
#pragma once

#include "Rtl.Interfaces.h"

class TPersistent;

struct IXThreadable : IInterface {
    X_INTERFACE_ID(IInterface, "{8C5471A3-7CC6-43D4-AC58-9D9EC771167A}");
    virtual void Lock() = 0;
    virtual void Unlock() = 0;
};

struct IXAssignable : IInterface {
    X_INTERFACE_ID(IInterface, "{E5DB37F6-BC83-405A-82CB-7BDEBF953B04}");
    virtual void Assign(TPersistent* ASource) = 0;
    virtual void AssignInterface(IInterface* ASource) = 0;
};

struct IXNameable : IXAssignable {
    X_INTERFACE_ID(IXAssignable, "{FABE2ECB-D8BC-4916-9928-D89056D831C2}");
    virtual String GetName() = 0;
    virtual void SetName(const String& AValue) = 0;
    // Copy the data but keep this object's own name.
    virtual void AssignKeepName(TPersistent* ASource) = 0;
    virtual void AssignKeepName(IInterface* ASource) = 0;
};

struct IXSerializable : IInterface {
    X_INTERFACE_ID(IInterface, "{FF56EF0E-A1A6-431D-999E-CA23821A899C}");
    // Brings values into range before saving and after loading.
    virtual void Validate() = 0;
    // A second hook around serialisation; no class gives it behaviour yet.
    virtual void SerializeHook() = 0;
};

struct IXDataStorable : IInterface {
    X_INTERFACE_ID(IInterface, "{6E438483-F9A4-4855-9A40-051D5076A48B}");
    // Whether the object's bulk data is written when it is streamed.
    virtual void SetDataStorable(bool AValue) = 0;
};

// Decodes or copies into a target of class T. Convert hands back the converter's own reference:
// holding it keeps the converter alive while the target is in use.
template <class T>
struct IXObjectConverter : IInterface {
    X_INTERFACE_ID(IInterface, "{3F6A2D1C-8B47-4E05-A9D3-5C1E7B20F864}");
    virtual TIntf<IXObjectConverter> Convert(T* ATarget) = 0;
};
