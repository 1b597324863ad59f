#include "XNetClasses.h"

#include <cmath>

#include "Vcl.Screen.h"
#include "XCore.Locale.h"
#include "XCore.Strings.Utils.h"
#include "XSpark.App.h"
#include "XSpark.Lg.h"

TIntf<IXHTTPParamsWriter> TXCustomHTTPParamsWriter::AddLanguage()
{
    Add("lg", GetCurrentLgIDHex());
    Add("lgiso", Lg()->GetText(2));
    TXNVLocale* Locale = NVLocale();
    Add("loc", Locale != nullptr ? Locale->GetLangIDHex() : String());
    Add("locp", Locale != nullptr ? Locale->GetPrimaryLangIDHex() : String());
    Add("lociso", Locale != nullptr ? Locale->GetLocaleName() : String());
    return this;
}

TIntf<IXHTTPParamsWriter> TXCustomHTTPParamsWriter::AddScreen()
{
    Add("scr", FormatDimensions(Screen->Width(), Screen->Height()));
    Add("scrr", FormatScreenRatio(Screen->Width(), Screen->Height()));
    return this;
}

TIntf<IXHTTPParamsWriter> TXCustomHTTPParamsWriter::AddVersion()
{
    Add("version", NVApp() != nullptr ? NVApp()->GetVersion() : String("0.0.0.0"));
    return this;
}

TIntf<IXHTTPParamsWriter> TXCustomHTTPParamsWriter::AddLanguageAndScreen()
{
    AddLanguage();
    AddScreen();
    return this;
}

TIntf<IXHTTPParamsWriter> TXCustomHTTPParamsWriter::AddApp(const String& AApp, const String& ARelease,
                                                          const String& ACgi)
{
    Add("app", AApp);
    Add("release", ARelease);
    Add("cgi", ACgi);
    AddLanguage();
    return this;
}

void TXPostParamsStringsWriter::Construct(TStrings* AList)
{
    inherited::Construct();
    FList = AList;
}

TIntf<IXHTTPParamsWriter> TXPostParamsStringsWriter::Add(const String& AName, const String& AValue)
{
    FList->Add(AName + "=" + AValue);
    return this;
}

String TXPostParamsStringsWriter::GetText()
{
    return FList->Text();
}

void TXPostParamsWriter::Construct(const String& AFirstLine)
{
    inherited::Construct(TStringList::Create());
    List()->Add(AFirstLine);
}

TXPostParamsWriter::~TXPostParamsWriter()
{
    if (List() != nullptr)
        List()->Free();
}

TIntf<IXHTTPParamsWriter> TXGetParamsWriter::Add(const String& AName, const String& AValue)
{
    if (!FText.empty())
        FText += '&';
    FText += AName + "=" + AValue;
    return this;
}

TIntf<IXHTTPParamsWriter> CreatePostParamsWriter(TStrings* AList)
{
    AList->Clear();
    return CreatePostParamsAppender(AList);
}

TIntf<IXHTTPParamsWriter> CreatePostParamsAppender(TStrings* AList)
{
    return TXPostParamsStringsWriter::Create(AList);
}

TIntf<IXHTTPParamsWriter> CreateOwnedPostParamsWriter(const String& AFirstLine)
{
    return TXPostParamsWriter::Create(AFirstLine);
}

TIntf<IXHTTPParamsWriter> CreateGetParamsWriter()
{
    return TXGetParamsWriter::Create();
}

String FormatScreenRatio(int AWidth, int AHeight)
{
    if (AHeight == 0)
        return "0";
    double Ratio = static_cast<double>(AWidth) / AHeight;
    return std::to_string(static_cast<int>(std::trunc((Ratio - std::trunc(Ratio)) * 10.0)));
}
