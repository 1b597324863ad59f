// XMLFiler.h: the filer of the XML object format. It stores one object, its first group's,
// as a whole XML document; there are no sections, items or data entries.
#pragma once

#include "XCore.Filer.h"

class TXCustomXMLFilerGroup : public TXFilerGroup {
    X_CLASS(TXCustomXMLFilerGroup, TXFilerGroup)
protected:
    TXCustomXMLFilerGroup() = default;
};

class TXCustomXMLFiler : public TXFiler {
    X_CLASS(TXCustomXMLFiler, TXFiler)
public:
    // From the stream's start into the first group's object; True when there is none. A
    // document that does not parse fails with 44 and its reason as the error text.
    bool ReadStream(TStream* AStream, TXProgress* AProgress, bool ARaise) override;
    bool ReadStreamEx(TStream* AStream, TXProgress* AProgress, bool ARaise) override;
    // The first group's object, compact, at the stream's position; True when there is none.
    bool WriteStream(TStream* AStream, TXProgress* AProgress, bool ARaise) override;

protected:
    TXCustomXMLFiler() = default;
};

class TXMLFiler : public TXCustomXMLFiler {
    X_CLASS(TXMLFiler, TXCustomXMLFiler)
public:
    // One group holding ATarget.
    void PrepareGroups(TObject* ATarget, int ASelector, const TXFilerParts& AParts) override;

protected:
    TXMLFiler() = default;
};
