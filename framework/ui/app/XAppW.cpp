#include "XAppW.h"

#include "XSpark.Lg.h"

namespace {

constexpr uint32_t kLanguagePackKind = 100;
const char* const kLanguageName = "Language";
const char* const kWordsName = "Words";

// A pack names the class of its group object; reading makes one of that class by name.
const bool kPackClassesRegistered =
    (RegisterClasses({TXLgHeader::StaticClass(), TXLgProject::StaticClass()}), true);

}   // namespace

// ---- TXLgFilerGroup ----------------------------------------------------------------------

void TXLgFilerGroup::Construct()
{
    inherited::Construct();
    SetItemKind(4);
    SetName("Header");
}

void TXLgFilerGroup::ObjectIndexRead()
{
    if (auto* Project = AsOrNull<TXLgProject>(DataObject()))
        WantStream(kWordsName, Project->TextStream());
}

void TXLgFilerGroup::DefineObjectData()
{
    if (auto* Project = AsOrNull<TXLgProject>(DataObject()))
        DefineStream(kWordsName, Project->TextStream());
}

// ---- TXLgFiler ---------------------------------------------------------------------------

void TXLgFiler::Construct()
{
    inherited::Construct();
    SetContainerClass(TXQStream::StaticClass());
    TXRIdentity Identity;
    SetFilerIdentity(Identity, kLanguagePackKind, 0, 0, 0, 0, kLanguageName);
    SetIdentity(Identity);
}

void TXLgFiler::PrepareGroups(TObject* ATarget, int ASelector, const TXFilerParts& AParts)
{
    inherited::PrepareGroups(ATarget, ASelector, AParts);
    auto* Header = AsOrNull<TXLgHeader>(ATarget);
    auto* Project = AsOrNull<TXLgProject>(ATarget);
    if ((ASelector != 0 || Project == nullptr) && (ASelector != 1 || Header == nullptr))
        return;
    TXRIdentity Identity = this->Identity();
    Identity.Values[1] = Header->AppID();
    Identity.Values[2] = Header->AppVer();
    SetIdentity(Identity);
    TXFilerGroup* Group = Groups()->AddNamedGroup(this, TXLgFilerGroup::StaticClass(),
                                                  ASelector == 0 ? Project->Items() : nullptr, Header, kLanguageName);
    if (ASelector == 1)
        Group->SetReadOptions(Group->ReadOptions().Exclude(roObjectData));   // the header alone
}
