// XCore.Strings.Containers.h: collections of texts, one per language id, optionally with a
// colour each; a text is found for a language with fallback to related languages.
// Language ids are Windows LANGIDs: the primary language in the low byte, 9 English.
#pragma once

#include <cstdint>

#include "Win.Graphics.h"
#include "XCore.Locale.h"

class TXStringItem : public TXLocalizedCollectionItem {
    X_CLASS(TXStringItem, TXLocalizedCollectionItem)
public:
    const String& s() const { return Fs; }
    void SetS(const String& AValue) { Fs = AValue; }

    bool AssignFrom(TPersistent* ASource) override;

    // Name, LgID and s; s only while the item's data is storable.
    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXStringItem() = default;
    void DoClear() override;

private:
    String Fs;
};

class TXColorStringItem : public TXStringItem {
    X_CLASS(TXColorStringItem, TXStringItem)
public:
    // clNone (0x1FFFFFFF) after clearing.
    TColor Color() const { return FColor; }
    void SetColor(TColor AValue) { FColor = AValue; }

    bool AssignFrom(TPersistent* ASource) override;

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXColorStringItem() = default;
    void DoClear() override;

private:
    TColor FColor = 0;
};

// The item class of colour string collections whose texts are stored with their owner.
class TXStorableColorStringItem : public TXColorStringItem {
    X_CLASS(TXStorableColorStringItem, TXColorStringItem)
protected:
    TXStorableColorStringItem() = default;
};

// The generic collections live in the unit's namespace: the concrete ones below take the
// plain names.
namespace XCore::Strings::Containers {

template <class T>
class TXStringCollection : public TXLocalizedCollection<T> {
    X_CLASS(TXStringCollection, TXLocalizedCollection<T>)
public:
    // The first item of that language; -1 when none.
    int IndexOfLgID(uint32_t ALgID) const
    {
        for (int I = 0; I < this->Count(); ++I)
            if (this->Items(I)->GetLgID() == ALgID)
                return I;
        return -1;
    }
    // The exact id, its primary language, the collection's own language, neutral 0 and, with
    // AUseEnglish, English (unless that is the collection's own); -1 when all fail.
    int IndexOfLgIDFallback(uint32_t ALgID, bool AUseEnglish) const
    {
        const uint32_t Own = this->Header()->GetLgID();
        int Index = IndexOfLgID(ALgID);
        if (Index < 0)
            Index = IndexOfLgID(GetPrimaryLangID(static_cast<uint16_t>(ALgID)));
        if (Index < 0 && Own != ALgID)
            Index = IndexOfLgID(Own);
        if (Index < 0)
            Index = IndexOfLgID(0);
        if (Index < 0 && AUseEnglish && Own != kEnglish)
            Index = IndexOfLgID(kEnglish);
        return Index;
    }
    // Replaces the text of that language, or adds an item for it.
    void SetText(uint32_t ALgID, const String& AText)
    {
        int Index = IndexOfLgID(ALgID);
        T* Item = Index >= 0 ? this->Items(Index) : this->Add();
        Item->SetLgID(ALgID);
        Item->SetS(AText);
    }
    // With AFallback the text found through IndexOfLgIDFallback (English included); empty when none.
    String GetText(uint32_t ALgID, bool AFallback) const
    {
        int Index = AFallback ? IndexOfLgIDFallback(ALgID, true) : IndexOfLgID(ALgID);
        return Index >= 0 ? this->Items(Index)->s() : String();
    }
    // No item holds a text.
    bool IsEmpty() const
    {
        for (int I = 0; I < this->Count(); ++I)
            if (!this->Items(I)->s().empty())
                return false;
        return true;
    }

protected:
    TXStringCollection() = default;

private:
    static constexpr uint32_t kEnglish = 9;
};

template <class T>
class TXColorStringCollection : public TXStringCollection<T> {
    X_CLASS(TXColorStringCollection, TXStringCollection<T>)
protected:
    TXColorStringCollection() = default;
};

}  // namespace XCore::Strings::Containers

class TXStringCollection : public XCore::Strings::Containers::TXStringCollection<TXStringItem> {
    X_CLASS(TXStringCollection, XCore::Strings::Containers::TXStringCollection<TXStringItem>)
protected:
    TXStringCollection() = default;
};

class TXColorStringCollection : public XCore::Strings::Containers::TXColorStringCollection<TXColorStringItem> {
    X_CLASS(TXColorStringCollection, XCore::Strings::Containers::TXColorStringCollection<TXColorStringItem>)
protected:
    TXColorStringCollection() = default;
};
