// XCore.Streams.Containers.h: stream objects (a blob with its data class, file name, version,
// size and time stamp), the collection items and collections that hold them, and the box
// component that keeps one in a form. The bytes are written as the binary property "Data"
// (raw) or "CData" (one zlib stream), never as a published property.
#pragma once

#include <cstdint>

#include "Rtl.Streams.h"
#include "XCore.Classes.h"
#include "XCore.Interfaces.h"
#include "XCore.Locale.h"

class TXCustomStreamItem;

class TXStreamObject : public TXLocalizedPersistent, public IXDataStorable {
    X_CLASS(TXStreamObject, TXLocalizedPersistent)
    X_INTERFACES(IXDataStorable)
public:
    bool Compressed() const { return FCompressed; }
    void SetCompressed(bool AValue) { FCompressed = AValue; }
    const String& DataClass() const { return FDataClass; }
    void SetDataClass(const String& AValue) { FDataClass = AValue; }
    // Owned; the object's bytes.
    TMemoryStream* DataStream() const { return FDataStream; }
    const String& FileName() const { return FFileName; }
    void SetFileName(const String& AValue) { FFileName = AValue; }
    const String& Version() const { return FVersion; }
    void SetVersion(const String& AValue) { FVersion = AValue; }
    int64_t Size() const { return FSize; }
    void SetSize(int64_t AValue) { FSize = AValue; }
    TDateTime TimeStamp() const { return FTimeStamp; }
    void SetTimeStamp(TDateTime AValue) { FTimeStamp = AValue; }
    // When False, the bytes are left out of the object's serialized form.
    bool DataStorable() const { return FDataStorable; }
    void SetDataStorable(bool AValue) override { FDataStorable = AValue; }

    // Clears, then copies ASource when it is a stream object; False otherwise.
    virtual bool LoadFromObject(TObject* ASource);
    // Clears, then copies the whole of ASource from its start. A failure clears again, records
    // 44 for the thread and answers False.
    virtual bool LoadFromStream(const String& ADataClass, TStream* ASource);
    // As LoadFromStream; DataClass becomes the file's extension in lower case (".jpg"). The file
    // name is not kept. AFlag has no effect.
    virtual bool LoadFromFile(const String& AFileName, bool AFlag = false);

    // From another stream object: everything but the language id; Size follows the bytes.
    bool AssignFrom(TPersistent* ASource) override;
    bool IsEmpty() override { return FDataStream->Size() == 0; }
    void DefineProperties(TFiler* AFiler) override;

    HRESULT QueryInterface(const TGUID& AIID, void** AObj) override { return inherited::QueryInterface(AIID, AObj); }
    int32_t _AddRef() override { return inherited::_AddRef(); }
    int32_t _Release() override { return inherited::_Release(); }

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXStreamObject() = default;
    ~TXStreamObject() override;
    void Init() override;
    // Keeps Compressed and DataStorable.
    void DoClear() override;

private:
    friend class TXCustomStreamItem;

    bool HasStoredData(bool ACompressed) const;
    void ReadData(TStream* AStream);
    void WriteData(TStream* AStream);
    void ReadCompressedData(TStream* AStream);
    void WriteCompressedData(TStream* AStream);

    bool FCompressed = false;
    String FDataClass;
    TMemoryStream* FDataStream = nullptr;
    String FFileName;
    String FVersion;
    int64_t FSize = 0;
    TDateTime FTimeStamp;
    bool FDataStorable = true;
};

// A stream object with the pixel size of the image its bytes encode.
class TXCustomSizeStreamObject : public TXStreamObject {
    X_CLASS(TXCustomSizeStreamObject, TXStreamObject)
public:
    int32_t Width() const { return FWidth; }
    void SetWidth(int32_t AValue) { FWidth = AValue; }
    int32_t Height() const { return FHeight; }
    void SetHeight(int32_t AValue) { FHeight = AValue; }

    bool AssignFrom(TPersistent* ASource) override;

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXCustomSizeStreamObject() = default;
    void DoClear() override;

private:
    int32_t FWidth = 0;
    int32_t FHeight = 0;
};

// A collection item holding one stream object, which the concrete item class makes.
class TXCustomStreamItem : public TXLocalizedCollectionItem {
    X_CLASS(TXCustomStreamItem, TXLocalizedCollectionItem)
public:
    TXStreamObject* StreamObject() const { return FStreamObject; }

    // From a stream item its stream object, from a stream object that object; then the name
    // and language id.
    bool AssignFrom(TPersistent* ASource) override;
    bool IsEmpty() override { return FStreamObject->IsEmpty(); }
    void SetDataStorable(bool AValue) override;

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXCustomStreamItem() = default;
    ~TXCustomStreamItem() override;
    void Init() override;
    void DoClear() override;
    // The item's stream object, made once while the item is built.
    virtual TXStreamObject* NewStreamObject() = 0;

private:
    TXStreamObject* FStreamObject = nullptr;
};

class TXStreamItem : public TXCustomStreamItem {
    X_CLASS(TXStreamItem, TXCustomStreamItem)
public:
    TXStreamObject* Data() const { return StreamObject(); }
    // Copies AValue into the item's own object, which stays the item's.
    void SetData(TXStreamObject* AValue) { StreamObject()->Assign(AValue); }

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXStreamItem() = default;
    TXStreamObject* NewStreamObject() override { return TXStreamObject::Create(); }
};

// A localized collection of stream items.
template <class T>
class TXStreamCollection : public TXLocalizedCollection<T> {
    X_CLASS(TXStreamCollection, TXLocalizedCollection<T>)
public:
    // A new item named AName holding the whole of AStream; nullptr, with no item added, when
    // the stream cannot be read.
    T* AddItem(const String& ADataClass, TStream* AStream, const String& AName)
    {
        T* Item = this->Add();
        Item->SetDisplayName(AName);
        if (Item->StreamObject()->LoadFromStream(ADataClass, AStream))
            return Item;
        this->Delete(Item->Index());
        return nullptr;
    }

protected:
    TXStreamCollection() = default;
};

// The generic box lives in the unit's namespace: the concrete box below takes the plain name.
namespace XCore::Streams::Containers {

// A component owning one stream object of class T.
template <class T>
class TXStreamBox : public TXComponent {
    X_CLASS(TXStreamBox, TXComponent)
public:
    T* StreamObject() const { return FStreamObject; }

    // From another box of the same kind its stream object, then the component's copy.
    bool AssignFrom(TPersistent* ASource) override
    {
        if (auto* Source = AsOrNull<TXStreamBox>(ASource))
            FStreamObject->Assign(Source->FStreamObject);
        return inherited::AssignFrom(ASource);
    }

protected:
    TXStreamBox() = default;
    ~TXStreamBox() override { FreeAndNil(FStreamObject); }
    void Construct(TComponent* AOwner) override
    {
        inherited::Construct(AOwner);
        FStreamObject = T::Create();
    }

private:
    T* FStreamObject = nullptr;
};

}  // namespace XCore::Streams::Containers

// A stream box whose object is published as Data, so a form or data module keeps a blob.
class TXStreamBox : public XCore::Streams::Containers::TXStreamBox<TXStreamObject> {
    X_CLASS(TXStreamBox, XCore::Streams::Containers::TXStreamBox<TXStreamObject>)
public:
    TXStreamObject* Data() const { return StreamObject(); }
    // Copies AValue into the box's own object.
    void SetData(TXStreamObject* AValue) { StreamObject()->Assign(AValue); }

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXStreamBox() = default;
};
