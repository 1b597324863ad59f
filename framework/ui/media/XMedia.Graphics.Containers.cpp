// XMedia.Graphics.Containers.cpp: image objects, their items, collections and boxes.
#include "XMedia.Graphics.Containers.h"

#include <exception>

#include "Rtl.TypInfo.h"
#include "Vcl.Graphics.h"
#include "Vcl.Imaging.Jpeg.h"
#include "XCore.Errors.h"
#include "XCore.Streams.ZLib.h"

namespace {

// A JPEG of any of our JPEG classes is recorded as the platform's, which every reader knows.
String GraphicClassName(TGraphic* AGraphic)
{
    return AGraphic->Is<TJPEGImage>() ? String("TJPEGImage") : AGraphic->ClassName();
}

// The graphic class registered under AClassName; raises for a name that is none.
TGraphicClass RegisteredGraphicClass(const String& AClassName)
{
    TClass Class = GetClass(AClassName);
    if (Class == nullptr || !Class->InheritsFrom(TGraphic::StaticClass()))
        throw EInvalidGraphic("Unknown picture class " + AClassName);
    return Class;
}

void SetPixelSize(TXImageObject* AObject, int AWidth, int AHeight)
{
    AObject->SetWidth(AWidth);
    AObject->SetHeight(AHeight);
}

// Decoding errors leave an empty image rather than a partly filled one.
bool ClearedOnFailure(TXImageObject* AObject, const std::exception& AError)
{
    AObject->Clear();
    SetFirstError(kErrRead, 0, AError.what());
    return false;
}

}  // namespace

// ---- TXImageObject -----------------------------------------------------------------------

bool TXImageObject::LoadFromObject(TObject* ASource)
{
    Clear();
    try {
        if (auto* Image = AsOrNull<TXImageObject>(ASource)) {
            Assign(Image);
        } else if (auto* Item = AsOrNull<TXImageItem>(ASource)) {
            Assign(Item->Data());
        } else if (auto* Graphic = AsOrNull<TGraphic>(ASource)) {
            SetDataClass(GraphicClassName(Graphic));
            Graphic->SaveToStream(DataStream());
            SetSize(DataStream()->Size());
            SetPixelSize(this, Graphic->Width(), Graphic->Height());
        } else {
            return false;
        }
        return true;
    } catch (const std::exception& E) {
        return ClearedOnFailure(this, E);
    }
}

bool TXImageObject::LoadFromStream(const String& ADataClass, TStream* ASource)
{
    try {
        auto Picture = Owned(TPicture::Create());
        Picture->ForceType(RegisteredGraphicClass(ADataClass));
        ASource->SetPosition(0);
        Picture->Graphic()->LoadFromStream(ASource);
        if (!inherited::LoadFromStream(ADataClass, ASource))
            return false;
        SetPixelSize(this, Picture->Width(), Picture->Height());
        return true;
    } catch (const std::exception& E) {
        return ClearedOnFailure(this, E);
    }
}

bool TXImageObject::LoadFromFile(const String& AFileName, bool AFlag)
{
    try {
        auto Picture = Owned(TPicture::Create());
        Picture->LoadFromFile(AFileName);
        if (!inherited::LoadFromFile(AFileName, AFlag))
            return false;
        SetDataClass(Picture->Graphic()->ClassName());
        SetPixelSize(this, Picture->Width(), Picture->Height());
        return true;
    } catch (const std::exception& E) {
        return ClearedOnFailure(this, E);
    }
}

// ---- Items -------------------------------------------------------------------------------

void TXImageItem::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Data", &TXImageItem::Data, &TXImageItem::SetData);
}

void TXThnImageItem::Init()
{
    inherited::Init();
    FThn = TXImageObject::Create();
}

TXThnImageItem::~TXThnImageItem()
{
    FreeAndNil(FThn);
}

bool TXThnImageItem::AssignFrom(TPersistent* ASource)
{
    if (auto* Source = AsOrNull<TXThnImageItem>(ASource))
        FThn->Assign(Source->FThn);
    return inherited::AssignFrom(ASource);
}

void TXThnImageItem::SetDataStorable(bool AValue)
{
    inherited::SetDataStorable(AValue);
    FThn->SetDataStorable(AValue);
}

void TXThnImageItem::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Thn", &TXThnImageItem::Thn, &TXThnImageItem::SetThn);
}

void TXImageGroupItem::Init()
{
    inherited::Init();
    FImages = TXImageCollection::Create(this);
}

TXImageGroupItem::~TXImageGroupItem()
{
    FreeAndNil(FImages);
}

void TXImageGroupItem::SetImages(TXImageCollection* AValue)
{
    FImages->Assign(AValue);
}

void TXImageGroupItem::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Images", &TXImageGroupItem::Images, &TXImageGroupItem::SetImages);
}

void TXTemplateItem::Init()
{
    inherited::Init();
    FCaption = TXStringCollection::Create(this);
    FDescription = TXStringCollection::Create(this);
    FTemplateData = TXStreamObject::Create();
}

TXTemplateItem::~TXTemplateItem()
{
    FreeAndNil(FTemplateData);
    FreeAndNil(FDescription);
    FreeAndNil(FCaption);
}

bool TXTemplateItem::AssignFrom(TPersistent* ASource)
{
    auto* Source = AsOrNull<TXTemplateItem>(ASource);
    if (Source != nullptr && Source != this) {
        FTemplateData->Assign(Source->FTemplateData);
        FCaption->Assign(Source->FCaption);
        FDescription->Assign(Source->FDescription);
    }
    return inherited::AssignFrom(ASource);
}

void TXTemplateItem::SetDataStorable(bool AValue)
{
    inherited::SetDataStorable(AValue);
    FTemplateData->SetDataStorable(AValue);
}

void TXTemplateItem::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Caption", &TXTemplateItem::Caption, &TXTemplateItem::SetCaption);
    P.Property("Description", &TXTemplateItem::Description, &TXTemplateItem::SetDescription);
    P.Property("TemplateData", &TXTemplateItem::TemplateData, &TXTemplateItem::SetTemplateData);
}

// ---- Collections -------------------------------------------------------------------------

void TXImageCollection::AppendFrom(TCollection* AOther)
{
    TXCustomCollection::AppendFrom(AOther);
    if (Sorted())
        Sort();
}

TXImageItem* TXImageCollection::FindByName(const String& AText) const
{
    return static_cast<TXImageItem*>(TXCustomCollection::FindByName(AText));
}

void TXTemplateCollection::AppendFrom(TCollection* AOther)
{
    TXCustomCollection::AppendFrom(AOther);
    if (Sorted())
        Sort();
}

TXTemplateItem* TXTemplateCollection::FindByName(const String& AText) const
{
    return static_cast<TXTemplateItem*>(TXCustomCollection::FindByName(AText));
}

void TXImageGroupObject::Init()
{
    inherited::Init();
    FGroups = TXImageGroupCollection::Create(this);
}

TXImageGroupObject::~TXImageGroupObject()
{
    FreeAndNil(FGroups);
}

bool TXImageGroupObject::AssignFrom(TPersistent* ASource)
{
    auto* Source = AsOrNull<TXImageGroupObject>(ASource);
    if (Source != nullptr && Source != this)
        FGroups->Assign(Source->FGroups);
    return inherited::AssignFrom(ASource);
}

void TXImageGroupObject::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Groups", &TXImageGroupObject::Groups, &TXImageGroupObject::SetGroups);
}

// ---- Components --------------------------------------------------------------------------

void TXImagesBox::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FImages = TXImageCollection::Create(this);
}

TXImagesBox::~TXImagesBox()
{
    FreeAndNil(FImages);
}

bool TXImagesBox::AssignFrom(TPersistent* ASource)
{
    auto* Source = AsOrNull<TXImagesBox>(ASource);
    if (Source != nullptr && Source != this) {
        FImages->Clear();
        FImages->AppendFrom(Source->FImages);
    }
    return inherited::AssignFrom(ASource);
}

void TXImagesBox::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Images", &TXImagesBox::Images, &TXImagesBox::SetImages);
}

void TXTemplatesBox::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FItems = TXTemplateCollection::Create(this);
}

TXTemplatesBox::~TXTemplatesBox()
{
    FreeAndNil(FItems);
}

bool TXTemplatesBox::AssignFrom(TPersistent* ASource)
{
    auto* Source = AsOrNull<TXTemplatesBox>(ASource);
    if (Source != nullptr && Source != this) {
        FItems->Clear();
        FItems->AppendFrom(Source->FItems);
    }
    return inherited::AssignFrom(ASource);
}

void TXTemplatesBox::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Items", &TXTemplatesBox::Items, &TXTemplatesBox::SetItems);
}

void TXCustomImagesGroupBox::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FImageGroup = TXImageGroupObject::Create();
}

TXCustomImagesGroupBox::~TXCustomImagesGroupBox()
{
    FreeAndNil(FImageGroup);
}

void TXImagesGroupBox::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Images", &TXImagesGroupBox::Images, &TXImagesGroupBox::SetImages);
}

int TXImagesBoxList::IndexOfName(const String& AText) const
{
    for (int I = 0; I < Count(); ++I)
        if (GetItem(I)->Name() == AText)
            return I;
    return -1;
}

TXImagesBox* TXImagesBoxList::FindByName(const String& AText) const
{
    int Index = IndexOfName(AText);
    return Index >= 0 ? GetItem(Index) : nullptr;
}
