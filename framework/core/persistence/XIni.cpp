// XIni.cpp: settings objects.
#include "XIni.h"

#include "Rtl.Files.h"
#include "Rtl.SysUtils.h"
#include "XCore.Engine.Aspects.h"
#include "XCore.Engine.Notifications.h"
#include "XCore.Errors.h"
#include "XCore.Filer.h"
#include "XCore.IO.h"
#include "XCore.Streams.ZLib.h"
#include "XMLClasses.h"
#include "XObjectFiler.h"
#include "XProps.h"

namespace {

bool FailWith(int32_t ACode, const String& AText)
{
    SetFirstError(ACode, 0, AText);
    return false;
}

// Older files are component text of another component and class: the header is made to name
// this one, so the reader applies the properties to it.
String WithOwnHeader(const String& AText, TComponent* AComponent)
{
    if (AText.rfind("object", 0) != 0)
        return AText;
    String Header = "object ";
    if (!AComponent->Name().empty())
        Header += AComponent->Name() + ": ";
    Header += AComponent->ClassName();
    size_t LineEnd = AText.find_first_of("\r\n");
    return LineEnd == String::npos ? Header : Header + AText.substr(LineEnd);
}

void RunAfterLoad(TXCustomIni* AIni)
{
    try {
        AIni->AfterLoad();
    } catch (const std::exception&) {
        // The load's own result stands; a descendant's repair step must not turn it over.
    }
}

}  // namespace

// ---- TXCustomIni -------------------------------------------------------------------------

bool TXCustomIni::LoadFromStream(TStream* AStream)
{
    ClearError();
    bool OK = false;
    try {
        String Text;
        if (!ReadObjectText(AStream, Text))
            SetFirstError(kErrRead, 0, "The settings data cannot be read");
        else if (Text.empty())
            SetFirstError(kErrRead, 0, "The settings data is empty");
        else {
            TextToObject(WithOwnHeader(Text, this), this);
            OK = true;
        }
    } catch (const std::exception& E) {
        SetFirstError(kErrRead, 0, E.what());
    }
    RunAfterLoad(this);
    return OK;
}

bool TXCustomIni::SaveToStream(TStream* AStream, bool ACompressed)
{
    ClearError();
    try {
        BeforeSave();
        auto Document = Owned(TMemoryStream::Create());
        ObjectToXMLStream(this, Document.get(), true);
        return WriteObjectData(Document.get(), AStream, ACompressed) || FailWith(kErrWrite, "The settings cannot be written");
    } catch (const std::exception& E) {
        return FailWith(kErrWrite, E.what());
    }
}

bool TXCustomIni::LoadFromRegistry(const String& AKey)
{
    bool OK = LoadPropsFromRegistry(this, AKey);
    if (!OK)
        SetFirstError(kErrRead, 0, AKey);
    RunAfterLoad(this);
    return OK;
}

bool TXCustomIni::SaveToRegistry(const String& AKey)
{
    try {
        BeforeSave();
    } catch (const std::exception& E) {
        return FailWith(kErrWrite, E.what());
    }
    return SavePropsToRegistry(this, AKey) || FailWith(kErrWrite, AKey);
}

bool TXCustomIni::LoadFromFile(const String& AFileName)
{
    ClearError();
    if (!FileExists(AFileName)) {
        RunAfterLoad(this);
        return FailWith(kErrFileMissing, AFileName);
    }
    TOwned<TFileStream> File;
    try {
        File = Owned(TFileStream::Create(AFileName, fmOpenRead | fmShareDenyWrite));
    } catch (const std::exception& E) {
        RunAfterLoad(this);
        return FailWith(kErrRead, E.what());
    }
    return LoadFromStream(File.get());
}

bool TXCustomIni::SaveToFile(const String& AFileName, bool ACompressed)
{
    ClearError();
    return SafeSaveFile(AFileName, [&](TStream* AFile) { return SaveToStream(AFile, ACompressed); });
}

bool TXCustomIni::ReloadFromRegistry(const String& AKey)
{
    try {
        Reset();
        return LoadFromRegistry(AKey);
    } catch (const std::exception& E) {
        return FailWith(kErrRead, E.what());
    }
}

void TXCustomIni::EndUpdate()
{
    FUpdates.EndUpdate();
    if (FUpdates.IsIdle())
        Changed();
}

void TXCustomIni::Changed()
{
    Notify(TXNotification<TXChangedAspect>::New(TXChangedAspect::Create()));
}

// ---- TXIni -------------------------------------------------------------------------------

void TXIni::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("DocType", &TXIni::DocType, &TXIni::SetDocType);
    P.Property("DocVer", &TXIni::DocVer, &TXIni::SetDocVer);
    P.Property("lgID", &TXIni::lgID, &TXIni::SetlgID);
}

void TXIni::Reset()
{
    inherited::Reset();
    FlgID = 9;
}
