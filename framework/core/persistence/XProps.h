// XProps.h: routines over the published properties of any object: the stored ones, property
// paths ("Button1:Font.Size", "Items[2].Caption"), values as text, events bound by path, and
// the registry form of an object tree under a key of HKEY_CURRENT_USER.
// None of them raises: each answers False or nullptr on any failure.
#pragma once

#include "Rtl.Strings.h"
#include "Rtl.TypInfo.h"

// Refills both lists with the names of AObj's stored published properties: value kinds
// (numbers, characters, enumerations, sets, strings) in AValueNames, objects in AObjectNames.
void ListStoredProperties(TObject* AObj, TStrings* AValueNames, TStrings* AObjectNames);

// The object that owns the final property of APath, which is reduced to that property's name.
// A path is an optional "Component:" owned by ARoot, then segments ending in ".", each an
// object property or a collection property with an item index ("Items[2]"), then the name.
TObject* ResolvePropertyPath(TObject* ARoot, String& APath);

// The property's value as the runtime's text form (numbers in decimal, enumeration names, set
// text); AText is empty when it cannot be read.
[[nodiscard]] bool GetPropTextByPath(TObject* ARoot, const String& APath, String& AText);
// Enumerations and sets by name, numbers parsed.
[[nodiscard]] bool SetPropTextByPath(TObject* ARoot, const String& APath, const String& AText);
// AHandler must have the event's signature.
[[nodiscard]] bool SetEventByPath(TObject* ARoot, const String& APath, const TMethodValue& AHandler);

// The registry form: a string value per stored value property, a sub-key (AKey + name + "\")
// per stored object property that is set, and for a collection one sub-key "Item" + index per
// item, rebuilt on every save. AKey ends in "\".
// False when the key cannot be opened or a sub-key holds no property of the object; values
// applied before the failure stay. Integer values are read as their decimal text. The items
// of a stored collection are appended to those already there.
[[nodiscard]] bool LoadPropsFromRegistry(TObject* AObj, const String& AKey);
// False when the key or a sub-key cannot be opened or created; a value that cannot be read
// or written is skipped.
[[nodiscard]] bool SavePropsToRegistry(TObject* AObj, const String& AKey);
