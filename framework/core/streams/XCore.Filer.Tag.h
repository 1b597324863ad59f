// XCore.Filer.Tag.h: the tagged text filer: filer groups as nested, XML-like elements in UTF-8
// text with CR LF line ends. It is no XML parser: elements are found by plain search for their
// tags, the one attribute is "name", and nothing is escaped on writing, so a text holding its
// own closing tag cannot be read back. Server replies arrive in this form: reading never
// trusts the text and stops quietly at whatever is missing.
#pragma once

#include "XCore.Filer.h"

// A group whose object is the element named ObjectTag and whose items are elements named
// ItemTag. Descendants give the texts (GetObjectText, GetItemText) and parse them back
// (ReadObjectText, ReadItemText).
class TXTagFilerGroup : public TXTextFilerGroup {
    X_CLASS(TXTagFilerGroup, TXTextFilerGroup)
public:
    const String& ObjectTag() const { return FObjectTag; }
    void SetObjectTag(const String& AValue) { FObjectTag = AValue; }
    const String& ItemTag() const { return FItemTag; }
    void SetItemTag(const String& AValue) { FItemTag = AValue; }

    // The text inside the object's element; empty in the base.
    virtual String GetObjectText() { return {}; }
    // The text inside one item's element; empty in the base.
    virtual String GetItemText(TObject* /*AItem*/) { return {}; }

    // The object element, when the group has a data object and an object tag.
    bool WriteObjectText(String& AText, TXProgress* AProgress, bool ARaise) override;
    // The item element, with the item's name as its name attribute; nothing for nullptr.
    bool WriteItemText(TObject* AItem, String& AText, bool ARaise, TXProgress* AProgress) override;
    // The group's text, inside an element of the group's name when it has one.
    bool WriteText(String& AText, TXProgress* AProgress, bool ARaise) override;

protected:
    TXTagFilerGroup() = default;

private:
    String FObjectTag;
    String FItemTag;
};

class TXTagFiler : public TXTextFiler {
    X_CLASS(TXTagFiler, TXTextFiler)
public:
    // When set, the whole text is wrapped in an element of this name, which reading requires.
    const String& RootTag() const { return FRootTag; }
    void SetRootTag(const String& AValue) { FRootTag = AValue; }

    // Each tag group reads its section: its object element and its item elements.
    bool ReadString(const String& AText, TXProgress* AProgress, bool ARaise) override;
    bool SaveToString(String& AText, TXProgress* AProgress, bool ARaise) override;

    // A new item of the collection per element, named by its name attribute.
    void ReadCollection(TXTagFilerGroup* AGroup, TCollection* ACollection, const String& AText,
                        TXProgress* AProgress = nullptr);
    // A new object per element, of the registered class its "class" element names, or of the
    // list's own item class for a framework object list; other elements are skipped.
    void ReadObjectList(TXTagFilerGroup* AGroup, TObjectList* AList, const String& AText,
                        TXProgress* AProgress = nullptr);

protected:
    TXTagFiler() = default;

private:
    String FRootTag;
};
