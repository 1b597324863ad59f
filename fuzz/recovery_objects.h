// What the recovery fuzzer reads its documents into, and its seeds program writes them from: a
// component with text, a nested object, a collection, an object list and binary data it
// defines itself, as the recovery program's settings and views have.
#pragma once

#include <string>

#include "Rtl.Classes.h"
#include "Rtl.Lists.h"
#include "Rtl.Streams.h"
#include "Rtl.TypInfo.h"

class TFuzzView : public TPersistent {
    X_CLASS(TFuzzView, TPersistent)
public:
    int32_t Zoom = 0;
    String Title;
    static void DeclareProperties(TPropertyDeclarer& P)
    {
        P.Property("Zoom", &TFuzzView::Zoom, &TFuzzView::Zoom);
        P.Property("Title", &TFuzzView::Title, &TFuzzView::Title);
    }

protected:
    TFuzzView() = default;
};

class TFuzzItem : public TCollectionItem {
    X_CLASS(TFuzzItem, TCollectionItem)
public:
    int32_t Value = 0;
    static void DeclareProperties(TPropertyDeclarer& P) { P.Property("Value", &TFuzzItem::Value, &TFuzzItem::Value); }

protected:
    TFuzzItem() = default;
};

class TFuzzDocument : public TComponent {
    X_CLASS(TFuzzDocument, TComponent)
public:
    String Caption;
    std::string Data;
    TFuzzView* View() const { return FView.get(); }
    TCollection* Items() const { return FItems.get(); }
    TObjectList* Entries() const { return FEntries.get(); }
    static void DeclareProperties(TPropertyDeclarer& P)
    {
        P.Property("Caption", &TFuzzDocument::Caption, &TFuzzDocument::Caption);
        P.Property("View", &TFuzzDocument::View);
        P.Property("Items", &TFuzzDocument::Items);
        P.Property("Entries", &TFuzzDocument::Entries);
    }
    void DefineProperties(TFiler* AFiler) override
    {
        AFiler->DefineBinaryProperty("Data", TStreamProc::Bind<&TFuzzDocument::ReadData>(this),
                                     TStreamProc::Bind<&TFuzzDocument::WriteData>(this), !Data.empty());
    }

protected:
    TFuzzDocument() = default;
    void Construct(TComponent* AOwner) override
    {
        FView = Owned(TFuzzView::Create());
        FItems = Owned(TCollection::Create(TFuzzItem::StaticClass()));
        FEntries = Owned(TObjectList::Create());
        inherited::Construct(AOwner);
    }

private:
    void ReadData(TStream* AStream)
    {
        Data.resize(static_cast<size_t>(AStream->Size()));
        AStream->ReadBuffer(Data.data(), AStream->Size());
    }
    void WriteData(TStream* AStream) { AStream->WriteBuffer(Data.data(), static_cast<int64_t>(Data.size())); }

    TOwned<TFuzzView> FView;
    TOwned<TCollection> FItems;
    TOwned<TObjectList> FEntries;
};
