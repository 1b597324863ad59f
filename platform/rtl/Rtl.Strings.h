// Rtl.Strings.h: string lists: TStrings (lines with objects; text, comma and delimited forms,
// name=value lines, loading and saving with encodings) and TStringList, its list in memory.
// Lines are UTF-8; Delimiter, QuoteChar and NameValueSeparator must be ASCII characters.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "Rtl.Classes.h"
#include "Rtl.Encoding.h"
#include "Rtl.Methods.h"

class TStream;

class TStrings : public TPersistent {
    X_CLASS(TStrings, TPersistent)
public:
    class TIterator;

    int Count() const { return GetCount(); }
    String Strings(int AIndex) const { return Get(AIndex); }
    void SetStrings(int AIndex, const String& AValue) { Put(AIndex, AValue); }
    String operator[](int AIndex) const { return Get(AIndex); }
    TObject* Objects(int AIndex) const { return GetObject(AIndex); }
    void SetObjects(int AIndex, TObject* AObject) { PutObject(AIndex, AObject); }

    // Every line followed by CR LF. Setting splits at CR LF, LF or CR; a break at the very end
    // starts no further line.
    virtual String Text() const;
    virtual void SetText(const String& AValue);
    // DelimitedText with ',' and '"', not strict, whatever the list's own settings.
    String CommaText() const;
    void SetCommaText(const String& AValue);
    // Lines joined by Delimiter; a line that holds the delimiter, the quote character or (unless
    // StrictDelimiter) a character up to the space is quoted with QuoteChar, quotes doubled.
    // Reading also splits at blanks unless StrictDelimiter.
    String DelimitedText() const;
    void SetDelimitedText(const String& AValue);
    char Delimiter() const { return FDelimiter; }
    void SetDelimiter(char AValue) { FDelimiter = AValue; }
    char QuoteChar() const { return FQuoteChar; }
    void SetQuoteChar(char AValue) { FQuoteChar = AValue; }
    bool StrictDelimiter() const { return FStrictDelimiter; }
    void SetStrictDelimiter(bool AValue) { FStrictDelimiter = AValue; }

    // Name=value lines. A line without the separator has neither name nor value.
    char NameValueSeparator() const { return FNameValueSeparator; }
    void SetNameValueSeparator(char AValue) { FNameValueSeparator = AValue; }
    String Names(int AIndex) const;
    String ValueFromIndex(int AIndex) const;
    // The value of the first line of that name; empty when there is none.
    String Values(const String& AName) const;
    // Replaces the first line of that name, or adds one; an empty value deletes the line.
    void SetValue(const String& AName, const String& AValue);
    int IndexOfName(const String& AName) const;

    virtual int Add(const String& AValue);
    virtual int AddObject(const String& AValue, TObject* AObject);
    // AIndex may be Count, which appends.
    virtual void Insert(int AIndex, const String& AValue) = 0;
    virtual void InsertObject(int AIndex, const String& AValue, TObject* AObject);
    virtual void Delete(int AIndex) = 0;
    virtual void Clear() = 0;
    virtual void Exchange(int AIndex1, int AIndex2);
    virtual void Move(int ACurIndex, int ANewIndex);
    virtual int IndexOf(const String& AValue) const;
    virtual void AddStrings(TStrings* AStrings);
    // From another TStrings: the lines with their objects and the text settings.
    void Assign(TPersistent* ASource) override;
    // The lines, as the list property "Strings" when there are any.
    void DefineProperties(TFiler* AFiler) override;

    // Nested; only the outermost pair tells (SetUpdateState).
    void BeginUpdate();
    void EndUpdate();

    // Whether saving writes the encoding's byte-order mark; True by default.
    bool WriteBOM() const { return FWriteBOM; }
    void SetWriteBOM(bool AValue) { FWriteBOM = AValue; }
    // The encoding of the last load, which saving keeps; nullptr before any load.
    const TEncoding* Encoding() const { return FEncoding; }
    // Without AEncoding, a byte-order mark names the encoding, else the ANSI code page is taken.
    // Raises EFOpenError or EReadError when the file cannot be read.
    void LoadFromFile(const String& AFileName, const TEncoding* AEncoding = nullptr);
    // Without AEncoding, the encoding of the last load, else the ANSI code page. The file is
    // written beside the target and renamed over it, so a failure leaves the old file; raises
    // EFCreateError or EWriteError.
    void SaveToFile(const String& AFileName, const TEncoding* AEncoding = nullptr) const;
    void LoadFromBytes(std::span<const uint8_t> ABytes, const TEncoding* AEncoding = nullptr);
    TBytes SaveToBytes(const TEncoding* AEncoding = nullptr) const;
    // From the stream's position to its end.
    void LoadFromStream(TStream* AStream, const TEncoding* AEncoding = nullptr);
    // At the stream's position.
    void SaveToStream(TStream* AStream, const TEncoding* AEncoding = nullptr) const;

    TIterator begin() const;
    TIterator end() const;

protected:
    TStrings() = default;

    virtual String Get(int AIndex) const = 0;
    virtual int GetCount() const = 0;
    virtual TObject* GetObject(int /*AIndex*/) const { return nullptr; }
    virtual void Put(int AIndex, const String& AValue);
    virtual void PutObject(int /*AIndex*/, TObject* /*AObject*/) {}
    // True when the outermost BeginUpdate starts, False when the matching EndUpdate ends.
    virtual void SetUpdateState(bool /*AUpdating*/) {}
    // <0, 0 or >0; the base ignores ASCII letter case.
    virtual int CompareStrings(const String& A, const String& B) const;
    int UpdateCount() const { return FUpdateCount; }

private:
    void ReadData(TReader* AReader);
    void WriteData(TWriter* AWriter);

    char FDelimiter = ',';
    char FQuoteChar = '"';
    char FNameValueSeparator = '=';
    bool FStrictDelimiter = false;
    bool FWriteBOM = true;
    const TEncoding* FEncoding = nullptr;
    int FUpdateCount = 0;
};

// Walks the lines by value, for range-for.
class TStrings::TIterator {
public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = String;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = String;

    TIterator() = default;
    TIterator(const TStrings* AStrings, int AIndex) : FStrings(AStrings), FIndex(AIndex) {}
    String operator*() const { return FStrings->Strings(FIndex); }
    TIterator& operator++()
    {
        ++FIndex;
        return *this;
    }
    TIterator operator++(int)
    {
        TIterator Old = *this;
        ++FIndex;
        return Old;
    }
    friend bool operator==(const TIterator&, const TIterator&) = default;

private:
    const TStrings* FStrings = nullptr;
    int FIndex = 0;
};

inline TStrings::TIterator TStrings::begin() const
{
    return TIterator(this, 0);
}

inline TStrings::TIterator TStrings::end() const
{
    return TIterator(this, Count());
}

enum TDuplicates : uint8_t { dupIgnore, dupAccept, dupError };

// Lines in memory. A sorted list keeps its order on every Add (binary search, Duplicates
// deciding about equal lines) and refuses changes by position. Comparisons ignore ASCII letter
// case unless CaseSensitive. OnChanging and OnChange fire around each change, or once around an
// outermost BeginUpdate/EndUpdate pair.
class TStringList : public TStrings {
    X_CLASS(TStringList, TStrings)
public:
    int AddObject(const String& AValue, TObject* AObject) override;
    void Insert(int AIndex, const String& AValue) override { InsertObject(AIndex, AValue, nullptr); }
    void InsertObject(int AIndex, const String& AValue, TObject* AObject) override;
    void Delete(int AIndex) override;
    void Clear() override;
    void Exchange(int AIndex1, int AIndex2) override;
    void Move(int ACurIndex, int ANewIndex) override;
    int IndexOf(const String& AValue) const override;
    // Sets AIndex to the first equal line and answers True, or to where AValue would be inserted
    // and answers False. Binary on a sorted list; an unsorted one is searched line by line
    // (AIndex is then Count when nothing is found).
    bool Find(const String& AValue, int& AIndex) const;
    // Sorts an unsorted list once (stable); a sorted list is sorted already.
    virtual void Sort();

    bool Sorted() const { return FSorted; }
    void SetSorted(bool AValue);
    TDuplicates Duplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates AValue) { FDuplicates = AValue; }
    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool AValue);
    // An owning list frees the objects of the lines it deletes or clears, and its own at the end.
    bool OwnsObjects() const { return FOwnsObjects; }
    void SetOwnsObjects(bool AValue) { FOwnsObjects = AValue; }

    TNotifyEvent OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent AValue) { FOnChange = AValue; }
    TNotifyEvent OnChanging() const { return FOnChanging; }
    void SetOnChanging(TNotifyEvent AValue) { FOnChanging = AValue; }

    void BeforeDestruction() override;

protected:
    TStringList() = default;
    void Construct() {}
    void Construct(bool AOwnsObjects) { FOwnsObjects = AOwnsObjects; }

    String Get(int AIndex) const override;
    int GetCount() const override { return static_cast<int>(FList.size()); }
    TObject* GetObject(int AIndex) const override;
    void Put(int AIndex, const String& AValue) override;
    void PutObject(int AIndex, TObject* AObject) override;
    void SetUpdateState(bool AUpdating) override;
    int CompareStrings(const String& A, const String& B) const override;
    virtual void Changing();
    virtual void Changed();

private:
    struct TStringItem {
        String Value;
        TObject* Object = nullptr;
    };

    void CheckIndex(int AIndex) const;
    void CheckUnsorted() const;
    void SortItems();

    std::vector<TStringItem> FList;
    bool FSorted = false;
    TDuplicates FDuplicates = dupIgnore;
    bool FCaseSensitive = false;
    bool FOwnsObjects = false;
    TNotifyEvent FOnChange;
    TNotifyEvent FOnChanging;
};
