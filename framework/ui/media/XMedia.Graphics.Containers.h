// XMedia.Graphics.Containers.h: images kept as their encoded bytes with the name of the graphic
// class that decodes them and their pixel size; items, collections and boxes that carry them.
// DataClass names a class of the runtime's class registry ("TJPEGImage", "TPngImage"); loading
// decodes once to check the bytes, drawing decodes again.
#pragma once

#include <cstdint>

#include "XCore.Collections.h"
#include "XCore.Engine.Aspects.h"
#include "XCore.Streams.Containers.h"
#include "XCore.Strings.Containers.h"

class TXImageCollection;
class TXImageGroupCollection;

class TXImageObject : public TXCustomSizeStreamObject {
    X_CLASS(TXImageObject, TXCustomSizeStreamObject)
public:
    // The pictures that can be transparent; the class name must match exactly.
    bool IsIconOrPng() const { return DataClass() == "TIcon" || DataClass() == "TPngImage"; }
    // Icons are drawn from their bytes, not through a picture.
    bool IsIcon() const { return DataClass() == "TIcon"; }

    // An image object, an image item's image or a graphic (which writes itself); anything else
    // is False. Every failure leaves the object cleared.
    bool LoadFromObject(TObject* ASource) override;
    // The bytes must decode as the graphic class registered under ADataClass.
    bool LoadFromStream(const String& ADataClass, TStream* ASource) override;
    // The file's extension chooses the graphic class, whose name becomes DataClass.
    bool LoadFromFile(const String& AFileName, bool AFlag = false) override;

protected:
    TXImageObject() = default;
};

// ---- Items -------------------------------------------------------------------------------

class TXImageItem : public TXCustomStreamItem {
    X_CLASS(TXImageItem, TXCustomStreamItem)
public:
    TXImageObject* Data() const { return static_cast<TXImageObject*>(StreamObject()); }
    // Copies AValue into the item's own image.
    void SetData(TXImageObject* AValue) { Data()->Assign(AValue); }

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXImageItem() = default;
    TXStreamObject* NewStreamObject() override { return TXImageObject::Create(); }
};

// An image with its thumbnail.
class TXThnImageItem : public TXImageItem {
    X_CLASS(TXThnImageItem, TXImageItem)
public:
    TXImageObject* Thn() const { return FThn; }
    void SetThn(TXImageObject* AValue) { FThn->Assign(AValue); }

    bool AssignFrom(TPersistent* ASource) override;
    void SetDataStorable(bool AValue) override;

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXThnImageItem() = default;
    ~TXThnImageItem() override;
    void Init() override;

private:
    TXImageObject* FThn = nullptr;
};

// An image heading a group of images. Assigning it copies the name and image, not the group.
class TXImageGroupItem : public TXImageItem {
    X_CLASS(TXImageGroupItem, TXImageItem)
public:
    TXImageCollection* Images() const { return FImages; }
    void SetImages(TXImageCollection* AValue);

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXImageGroupItem() = default;
    ~TXImageGroupItem() override;
    void Init() override;

private:
    TXImageCollection* FImages = nullptr;
};

// A design template: its preview image, its data and its texts in every language.
class TXTemplateItem : public TXImageItem {
    X_CLASS(TXTemplateItem, TXImageItem)
public:
    TXStringCollection* Caption() const { return FCaption; }
    void SetCaption(TXStringCollection* AValue) { FCaption->Assign(AValue); }
    TXStringCollection* Description() const { return FDescription; }
    void SetDescription(TXStringCollection* AValue) { FDescription->Assign(AValue); }
    TXStreamObject* TemplateData() const { return FTemplateData; }
    void SetTemplateData(TXStreamObject* AValue) { FTemplateData->Assign(AValue); }

    bool AssignFrom(TPersistent* ASource) override;
    void SetDataStorable(bool AValue) override;

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXTemplateItem() = default;
    ~TXTemplateItem() override;
    void Init() override;

private:
    TXStringCollection* FCaption = nullptr;
    TXStringCollection* FDescription = nullptr;
    TXStreamObject* FTemplateData = nullptr;
};

// ---- Collections -------------------------------------------------------------------------

class TXImageCollection : public TXStreamCollection<TXImageItem> {
    X_CLASS(TXImageCollection, TXStreamCollection<TXImageItem>)
public:
    // Copies of AOther's items appended in order, then sorted when the collection is sorted.
    void AppendFrom(TCollection* AOther);
    // The first item of that name, letter case ignored.
    TXImageItem* FindByName(const String& AText) const;

protected:
    TXImageCollection() = default;
};

class TXThnImageCollection : public TXStreamCollection<TXThnImageItem> {
    X_CLASS(TXThnImageCollection, TXStreamCollection<TXThnImageItem>)
protected:
    TXThnImageCollection() = default;
};

class TXImageGroupCollection : public TXStreamCollection<TXImageGroupItem> {
    X_CLASS(TXImageGroupCollection, TXStreamCollection<TXImageGroupItem>)
protected:
    TXImageGroupCollection() = default;
};

class TXTemplateCollection : public TXStreamCollection<TXTemplateItem> {
    X_CLASS(TXTemplateCollection, TXStreamCollection<TXTemplateItem>)
public:
    void AppendFrom(TCollection* AOther);
    TXTemplateItem* FindByName(const String& AText) const;

protected:
    TXTemplateCollection() = default;
};

class TXImageGroupObject : public TXLocalizedPersistent {
    X_CLASS(TXImageGroupObject, TXLocalizedPersistent)
public:
    TXImageGroupCollection* Groups() const { return FGroups; }
    void SetGroups(TXImageGroupCollection* AValue) { FGroups->Assign(AValue); }

    // From another group object its groups, then the name.
    bool AssignFrom(TPersistent* ASource) override;

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXImageGroupObject() = default;
    ~TXImageGroupObject() override;
    void Init() override;

private:
    TXImageGroupCollection* FGroups = nullptr;
};

// ---- Components --------------------------------------------------------------------------

class TXImagesBox : public TXComponent {
    X_CLASS(TXImagesBox, TXComponent)
public:
    TXImageCollection* Images() const { return FImages; }
    void SetImages(TXImageCollection* AValue) { FImages->Assign(AValue); }

    // From another images box: its items replace this box's.
    bool AssignFrom(TPersistent* ASource) override;

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXImagesBox() = default;
    ~TXImagesBox() override;
    void Construct(TComponent* AOwner) override;

private:
    TXImageCollection* FImages = nullptr;
};

class TXTemplatesBox : public TXComponent {
    X_CLASS(TXTemplatesBox, TXComponent)
public:
    TXTemplateCollection* Items() const { return FItems; }
    void SetItems(TXTemplateCollection* AValue) { FItems->Assign(AValue); }

    bool AssignFrom(TPersistent* ASource) override;

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXTemplatesBox() = default;
    ~TXTemplatesBox() override;
    void Construct(TComponent* AOwner) override;

private:
    TXTemplateCollection* FItems = nullptr;
};

class TXCustomImagesGroupBox : public TComponent {
    X_CLASS(TXCustomImagesGroupBox, TComponent)
public:
    TXImageGroupObject* ImageGroup() const { return FImageGroup; }

protected:
    TXCustomImagesGroupBox() = default;
    ~TXCustomImagesGroupBox() override;
    void Construct(TComponent* AOwner) override;

private:
    TXImageGroupObject* FImageGroup = nullptr;
};

class TXImagesGroupBox : public TXCustomImagesGroupBox {
    X_CLASS(TXImagesGroupBox, TXCustomImagesGroupBox)
public:
    TXImageGroupObject* Images() const { return ImageGroup(); }
    void SetImages(TXImageGroupObject* AValue) { ImageGroup()->Assign(AValue); }

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXImagesGroupBox() = default;
};

// Image boxes found by component name; not owned.
class TXImagesBoxList : public XCore::Collections::TXComponentList<TXImagesBox> {
    X_CLASS(TXImagesBoxList, XCore::Collections::TXComponentList<TXImagesBox>)
public:
    // The first box whose Name equals AText exactly, letter case included; -1 when none.
    int IndexOfName(const String& AText) const;
    TXImagesBox* FindByName(const String& AText) const;

protected:
    TXImagesBoxList() = default;
};

// An image object changed; carries the object, not a copy.
class TXImageObjectChangedAspect : public TXDataChangedAspect<TXImageObject*> {
    X_CLASS(TXImageObjectChangedAspect, TXDataChangedAspect<TXImageObject*>)
protected:
    TXImageObjectChangedAspect() = default;
};
