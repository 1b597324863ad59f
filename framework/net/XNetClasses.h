// XNetClasses.h: writers of the name=value parameters that requests to our servers carry,
// with the standard fields (language, locale, screen, version, product).
// Writers escape nothing: the HTTP client form-encodes POST lines when it sends them.
#pragma once

#include "Rtl.Interfaces.h"
#include "Rtl.Strings.h"
#include "XCore.Classes.h"

struct IXHTTPParamsWriter : IInterface {
    X_INTERFACE_ID(IInterface, "{6E066971-2DB9-417E-8103-C34F3C16B65D}");
    // Each adder answers the writer, so that calls chain.
    virtual TIntf<IXHTTPParamsWriter> Add(const String& AName, const String& AValue) = 0;
    // "lg", "lgiso", "loc", "locp", "lociso".
    virtual TIntf<IXHTTPParamsWriter> AddLanguage() = 0;
    // "scr", "scrr".
    virtual TIntf<IXHTTPParamsWriter> AddScreen() = 0;
    // "version".
    virtual TIntf<IXHTTPParamsWriter> AddVersion() = 0;
    virtual TIntf<IXHTTPParamsWriter> AddLanguageAndScreen() = 0;
    // "app", "release", "cgi", then the language fields.
    virtual TIntf<IXHTTPParamsWriter> AddApp(const String& AApp, const String& ARelease, const String& ACgi) = 0;
    virtual String GetText() = 0;
};

class TXCustomHTTPParamsWriter : public TXManagedObject, public IXHTTPParamsWriter {
    X_CLASS(TXCustomHTTPParamsWriter, TXManagedObject)
    X_INTERFACES(IXHTTPParamsWriter)
public:
    TIntf<IXHTTPParamsWriter> AddLanguage() override;
    TIntf<IXHTTPParamsWriter> AddScreen() override;
    TIntf<IXHTTPParamsWriter> AddVersion() override;
    TIntf<IXHTTPParamsWriter> AddLanguageAndScreen() override;
    TIntf<IXHTTPParamsWriter> AddApp(const String& AApp, const String& ARelease, const String& ACgi) override;

    HRESULT QueryInterface(const TGUID& AIID, void** AObj) override { return inherited::QueryInterface(AIID, AObj); }
    int32_t _AddRef() override { return inherited::_AddRef(); }
    int32_t _Release() override { return inherited::_Release(); }

protected:
    TXCustomHTTPParamsWriter() = default;
    using inherited::Construct;
    // Counted: a writer lives as long as a reference to it.
    void Construct() override { inherited::Construct(rcmSingleThread); }
};

// Appends "name=value" lines to a list that the caller owns.
class TXPostParamsStringsWriter : public TXCustomHTTPParamsWriter {
    X_CLASS(TXPostParamsStringsWriter, TXCustomHTTPParamsWriter)
public:
    TIntf<IXHTTPParamsWriter> Add(const String& AName, const String& AValue) override;
    // Every line followed by CR LF.
    String GetText() override;

protected:
    TXPostParamsStringsWriter() = default;
    using inherited::Construct;
    virtual void Construct(TStrings* AList);
    TStrings* List() const { return FList; }

private:
    TStrings* FList = nullptr;
};

// As its base, into a list of its own.
class TXPostParamsWriter : public TXPostParamsStringsWriter {
    X_CLASS(TXPostParamsWriter, TXPostParamsStringsWriter)
protected:
    TXPostParamsWriter() = default;
    ~TXPostParamsWriter() override;
    using inherited::Construct;
    virtual void Construct(const String& AFirstLine);
};

// "a=1&b=2".
class TXGetParamsWriter : public TXCustomHTTPParamsWriter {
    X_CLASS(TXGetParamsWriter, TXCustomHTTPParamsWriter)
public:
    TIntf<IXHTTPParamsWriter> Add(const String& AName, const String& AValue) override;
    String GetText() override { return FText; }

protected:
    TXGetParamsWriter() = default;

private:
    String FText;
};

// Empties AList first.
TIntf<IXHTTPParamsWriter> CreatePostParamsWriter(TStrings* AList);
// Keeps the lines of AList and adds after them.
TIntf<IXHTTPParamsWriter> CreatePostParamsAppender(TStrings* AList);
TIntf<IXHTTPParamsWriter> CreateOwnedPostParamsWriter(const String& AFirstLine);
TIntf<IXHTTPParamsWriter> CreateGetParamsWriter();

// The "scrr" field: the first decimal of width / height ("7" for 1920 x 1080, "0" for a
// square screen).
String FormatScreenRatio(int AWidth, int AHeight);
