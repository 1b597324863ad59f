// Rtl.Strings.cpp: string lists, their text forms and their files.
#include "Rtl.Strings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "Rtl.ComponentStreams.h"
#include "Rtl.Files.h"
#include "Rtl.SafeFiles.h"
#include "Rtl.Streams.h"
#include "Rtl.SysUtils.h"

namespace {

constexpr const char* SSortedListError = "Operation not allowed on sorted list";
constexpr const char* SDuplicateString = "String list does not allow duplicates";

[[noreturn]] void RaiseStringListIndexError(int AIndex)
{
    throw EStringListError("List index out of bounds (" + IntToStr(AIndex) + ")");
}

// Runs AChange between BeginUpdate and EndUpdate; EndUpdate runs when it raises too.
template <class TChange>
void Updating(TStrings& AStrings, TChange AChange)
{
    AStrings.BeginUpdate();
    try {
        AChange();
    } catch (...) {
        AStrings.EndUpdate();
        throw;
    }
    AStrings.EndUpdate();
}

bool IsBlank(char AChar)
{
    return static_cast<unsigned char>(AChar) <= ' ';
}

bool NeedsQuotes(const String& AValue, char ADelimiter, char AQuoteChar, bool AStrict)
{
    return std::any_of(AValue.begin(), AValue.end(), [&](char C) {
        return C == ADelimiter || C == AQuoteChar || C == '\0' || (!AStrict && IsBlank(C));
    });
}

String Quoted(const String& AValue, char AQuoteChar)
{
    String Result(1, AQuoteChar);
    for (char C : AValue) {
        Result += C;
        if (C == AQuoteChar)
            Result += C;
    }
    Result += AQuoteChar;
    return Result;
}

// Splits delimited text. A field is quoted (doubled quotes inside, running to the end when the
// closing quote is missing) or runs to the delimiter, and unless AStrict also to a blank; blanks
// around fields are skipped unless AStrict. A delimiter at the very end ends an empty field.
std::vector<String> SplitDelimited(std::string_view AText, char ADelimiter, char AQuoteChar, bool AStrict)
{
    std::vector<String> Fields;
    size_t P = 0;
    auto SkipBlanks = [&] {
        while (!AStrict && P < AText.size() && IsBlank(AText[P]))
            ++P;
    };
    SkipBlanks();
    while (P < AText.size()) {
        String Field;
        if (AText[P] == AQuoteChar) {
            for (++P; P < AText.size(); ++P) {
                if (AText[P] == AQuoteChar && (P + 1 == AText.size() || AText[P + 1] != AQuoteChar)) {
                    ++P;
                    break;
                }
                if (AText[P] == AQuoteChar)
                    ++P;   // the first of a doubled quote
                Field += AText[P];
            }
        } else {
            size_t Start = P;
            while (P < AText.size() && AText[P] != ADelimiter && (AStrict || !IsBlank(AText[P])))
                ++P;
            Field = AText.substr(Start, P - Start);
        }
        Fields.push_back(std::move(Field));
        SkipBlanks();
        if (P < AText.size() && AText[P] == ADelimiter) {
            if (++P == AText.size())
                Fields.emplace_back();
            SkipBlanks();
        }
    }
    return Fields;
}

// Lines end at CR LF, LF or CR; a break at the very end starts no further line.
std::vector<String> SplitLines(std::string_view AText)
{
    std::vector<String> Lines;
    size_t P = 0;
    while (P < AText.size()) {
        size_t Start = P;
        while (P < AText.size() && AText[P] != '\r' && AText[P] != '\n')
            ++P;
        Lines.emplace_back(AText.substr(Start, P - Start));
        if (P < AText.size() && AText[P] == '\r')
            ++P;
        if (P < AText.size() && AText[P] == '\n')
            ++P;
    }
    return Lines;
}

// A single empty line is written as two quotes, which an empty text would not give back.
String JoinDelimited(const TStrings& AStrings, char ADelimiter, char AQuoteChar, bool AStrict)
{
    if (AStrings.Count() == 1 && AStrings.Strings(0).empty())
        return String(2, AQuoteChar);
    String Result;
    for (int I = 0; I < AStrings.Count(); ++I) {
        String Line = AStrings.Strings(I);
        if (I > 0)
            Result += ADelimiter;
        Result += NeedsQuotes(Line, ADelimiter, AQuoteChar, AStrict) ? Quoted(Line, AQuoteChar) : Line;
    }
    return Result;
}

void ReplaceLines(TStrings& AStrings, const std::vector<String>& ALines)
{
    Updating(AStrings, [&] {
        AStrings.Clear();
        for (const String& Line : ALines)
            AStrings.Add(Line);
    });
}

}  // namespace

// ---- TStrings ----------------------------------------------------------------------------

String TStrings::Text() const
{
    String Result;
    for (int I = 0; I < Count(); ++I) {
        Result += Get(I);
        Result += "\r\n";
    }
    return Result;
}

void TStrings::SetText(const String& AValue)
{
    ReplaceLines(*this, SplitLines(AValue));
}

String TStrings::CommaText() const
{
    return JoinDelimited(*this, ',', '"', false);
}

void TStrings::SetCommaText(const String& AValue)
{
    ReplaceLines(*this, SplitDelimited(AValue, ',', '"', false));
}

String TStrings::DelimitedText() const
{
    return JoinDelimited(*this, FDelimiter, FQuoteChar, FStrictDelimiter);
}

void TStrings::SetDelimitedText(const String& AValue)
{
    ReplaceLines(*this, SplitDelimited(AValue, FDelimiter, FQuoteChar, FStrictDelimiter));
}

String TStrings::Names(int AIndex) const
{
    String Line = Get(AIndex);
    size_t Separator = Line.find(FNameValueSeparator);
    return Separator == String::npos ? String() : Line.substr(0, Separator);
}

String TStrings::ValueFromIndex(int AIndex) const
{
    String Line = Get(AIndex);
    size_t Separator = Line.find(FNameValueSeparator);
    return Separator == String::npos ? String() : Line.substr(Separator + 1);
}

String TStrings::Values(const String& AName) const
{
    int Index = IndexOfName(AName);
    return Index >= 0 ? ValueFromIndex(Index) : String();
}

void TStrings::SetValue(const String& AName, const String& AValue)
{
    int Index = IndexOfName(AName);
    if (AValue.empty()) {
        if (Index >= 0)
            Delete(Index);
        return;
    }
    String Line = AName + FNameValueSeparator + AValue;
    if (Index < 0)
        Add(Line);
    else
        Put(Index, Line);
}

int TStrings::IndexOfName(const String& AName) const
{
    for (int I = 0; I < Count(); ++I) {
        String Line = Get(I);
        size_t Separator = Line.find(FNameValueSeparator);
        if (Separator != String::npos && CompareStrings(Line.substr(0, Separator), AName) == 0)
            return I;
    }
    return -1;
}

int TStrings::Add(const String& AValue)
{
    return AddObject(AValue, nullptr);
}

int TStrings::AddObject(const String& AValue, TObject* AObject)
{
    int Index = Count();
    InsertObject(Index, AValue, AObject);
    return Index;
}

void TStrings::InsertObject(int AIndex, const String& AValue, TObject* AObject)
{
    Insert(AIndex, AValue);
    PutObject(AIndex, AObject);
}

void TStrings::Put(int AIndex, const String& AValue)
{
    TObject* Object = GetObject(AIndex);
    Updating(*this, [&] {
        PutObject(AIndex, nullptr);   // so that an owning list does not free it
        Delete(AIndex);
        InsertObject(AIndex, AValue, Object);
    });
}

void TStrings::Exchange(int AIndex1, int AIndex2)
{
    String Line1 = Get(AIndex1);
    String Line2 = Get(AIndex2);
    TObject* Object1 = GetObject(AIndex1);
    TObject* Object2 = GetObject(AIndex2);
    Updating(*this, [&] {
        Put(AIndex1, Line2);
        PutObject(AIndex1, Object2);
        Put(AIndex2, Line1);
        PutObject(AIndex2, Object1);
    });
}

void TStrings::Move(int ACurIndex, int ANewIndex)
{
    if (ACurIndex == ANewIndex)
        return;
    String Line = Get(ACurIndex);
    TObject* Object = GetObject(ACurIndex);
    Updating(*this, [&] {
        PutObject(ACurIndex, nullptr);
        Delete(ACurIndex);
        InsertObject(ANewIndex, Line, Object);
    });
}

int TStrings::IndexOf(const String& AValue) const
{
    for (int I = 0; I < Count(); ++I)
        if (CompareStrings(Get(I), AValue) == 0)
            return I;
    return -1;
}

void TStrings::AddStrings(TStrings* AStrings)
{
    Updating(*this, [&] {
        for (int I = 0; I < AStrings->Count(); ++I)
            AddObject(AStrings->Get(I), AStrings->GetObject(I));
    });
}

void TStrings::DefineProperties(TFiler* AFiler)
{
    AFiler->DefineProperty("Strings", TReaderProc::Bind<&TStrings::ReadData>(this),
                           TWriterProc::Bind<&TStrings::WriteData>(this), Count() > 0);
}

void TStrings::ReadData(TReader* AReader)
{
    BeginUpdate();
    try {
        Clear();
        AReader->ReadListBegin();
        while (!AReader->EndOfList())
            Add(AReader->ReadString());
        AReader->ReadListEnd();
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::WriteData(TWriter* AWriter)
{
    AWriter->WriteListBegin();
    for (const String& Line : *this)
        AWriter->WriteString(Line);
    AWriter->WriteListEnd();
}

void TStrings::Assign(TPersistent* ASource)
{
    auto* Source = AsOrNull<TStrings>(ASource);
    if (Source == nullptr) {
        inherited::Assign(ASource);
        return;
    }
    if (Source == this)
        return;
    Updating(*this, [&] {
        Clear();
        FDelimiter = Source->FDelimiter;
        FQuoteChar = Source->FQuoteChar;
        FNameValueSeparator = Source->FNameValueSeparator;
        FStrictDelimiter = Source->FStrictDelimiter;
        FWriteBOM = Source->FWriteBOM;
        FEncoding = Source->FEncoding;
        AddStrings(Source);
    });
}

void TStrings::BeginUpdate()
{
    if (FUpdateCount == 0)
        SetUpdateState(true);
    ++FUpdateCount;
}

void TStrings::EndUpdate()
{
    if (FUpdateCount == 0)
        return;
    if (--FUpdateCount == 0)
        SetUpdateState(false);
}

void TStrings::LoadFromFile(const String& AFileName, const TEncoding* AEncoding)
{
    LoadFromBytes(ReadFileBytes(AFileName), AEncoding);
}

void TStrings::SaveToFile(const String& AFileName, const TEncoding* AEncoding) const
{
    SafeWriteFileBytes(AFileName, SaveToBytes(AEncoding));
}

void TStrings::LoadFromStream(TStream* AStream, const TEncoding* AEncoding)
{
    TBytes Bytes(static_cast<size_t>(std::max<int64_t>(0, AStream->Size() - AStream->Position())));
    AStream->ReadBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    LoadFromBytes(Bytes, AEncoding);
}

void TStrings::SaveToStream(TStream* AStream, const TEncoding* AEncoding) const
{
    TBytes Bytes = SaveToBytes(AEncoding);
    AStream->WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
}

void TStrings::LoadFromBytes(std::span<const uint8_t> ABytes, const TEncoding* AEncoding)
{
    size_t PreambleLength = TEncoding::GetBufferEncoding(ABytes, AEncoding, TEncoding::ANSI());
    SetText(AEncoding->GetString(ABytes.subspan(PreambleLength)));
    FEncoding = AEncoding;
}

TBytes TStrings::SaveToBytes(const TEncoding* AEncoding) const
{
    if (AEncoding == nullptr)
        AEncoding = FEncoding != nullptr ? FEncoding : TEncoding::ANSI();
    TBytes Result = FWriteBOM ? AEncoding->GetPreamble() : TBytes();
    TBytes Body = AEncoding->GetBytes(Text());
    Result.insert(Result.end(), Body.begin(), Body.end());
    return Result;
}

int TStrings::CompareStrings(const String& A, const String& B) const
{
    return CompareText(A, B);
}

// ---- TStringList -------------------------------------------------------------------------

int TStringList::AddObject(const String& AValue, TObject* AObject)
{
    int Index = Count();
    if (FSorted && Find(AValue, Index)) {
        if (FDuplicates == dupIgnore)
            return Index;
        if (FDuplicates == dupError)
            throw EStringListError(SDuplicateString);
    }
    Changing();
    FList.insert(FList.begin() + Index, TStringItem{AValue, AObject});
    Changed();
    return Index;
}

void TStringList::InsertObject(int AIndex, const String& AValue, TObject* AObject)
{
    CheckUnsorted();
    if (AIndex < 0 || AIndex > Count())
        RaiseStringListIndexError(AIndex);
    Changing();
    FList.insert(FList.begin() + AIndex, TStringItem{AValue, AObject});
    Changed();
}

void TStringList::Delete(int AIndex)
{
    CheckIndex(AIndex);
    Changing();
    TObject* Object = FList[static_cast<size_t>(AIndex)].Object;
    FList.erase(FList.begin() + AIndex);
    if (FOwnsObjects && Object != nullptr)
        Object->Free();
    Changed();
}

void TStringList::Clear()
{
    if (FList.empty())
        return;
    Changing();
    std::vector<TStringItem> Old;
    Old.swap(FList);
    if (FOwnsObjects)
        for (TStringItem& Item : Old)
            if (Item.Object != nullptr)
                Item.Object->Free();
    Changed();
}

void TStringList::Exchange(int AIndex1, int AIndex2)
{
    CheckUnsorted();
    CheckIndex(AIndex1);
    CheckIndex(AIndex2);
    Changing();
    std::swap(FList[static_cast<size_t>(AIndex1)], FList[static_cast<size_t>(AIndex2)]);
    Changed();
}

void TStringList::Move(int ACurIndex, int ANewIndex)
{
    if (ACurIndex == ANewIndex)
        return;
    CheckUnsorted();
    CheckIndex(ACurIndex);
    CheckIndex(ANewIndex);
    Changing();
    auto Cur = FList.begin() + ACurIndex;
    auto New = FList.begin() + ANewIndex;
    if (ACurIndex < ANewIndex)
        std::rotate(Cur, Cur + 1, New + 1);
    else
        std::rotate(New, Cur, Cur + 1);
    Changed();
}

int TStringList::IndexOf(const String& AValue) const
{
    int Index = 0;
    return Find(AValue, Index) ? Index : -1;
}

bool TStringList::Find(const String& AValue, int& AIndex) const
{
    if (!FSorted) {
        auto Found = std::find_if(FList.begin(), FList.end(),
                                  [&](const TStringItem& AItem) { return CompareStrings(AItem.Value, AValue) == 0; });
        AIndex = static_cast<int>(Found - FList.begin());
        return Found != FList.end();
    }
    auto First = std::lower_bound(FList.begin(), FList.end(), AValue, [&](const TStringItem& AItem, const String& S) {
        return CompareStrings(AItem.Value, S) < 0;
    });
    AIndex = static_cast<int>(First - FList.begin());
    return First != FList.end() && CompareStrings(First->Value, AValue) == 0;
}

void TStringList::Sort()
{
    if (!FSorted)
        SortItems();
}

void TStringList::SetSorted(bool AValue)
{
    if (FSorted == AValue)
        return;
    if (AValue)
        SortItems();
    FSorted = AValue;
}

void TStringList::SetCaseSensitive(bool AValue)
{
    if (FCaseSensitive == AValue)
        return;
    FCaseSensitive = AValue;
    if (FSorted)
        SortItems();   // the order depends on the comparison
}

void TStringList::BeforeDestruction()
{
    inherited::BeforeDestruction();
    FOnChange = nullptr;
    FOnChanging = nullptr;
    Clear();
}

String TStringList::Get(int AIndex) const
{
    CheckIndex(AIndex);
    return FList[static_cast<size_t>(AIndex)].Value;
}

TObject* TStringList::GetObject(int AIndex) const
{
    CheckIndex(AIndex);
    return FList[static_cast<size_t>(AIndex)].Object;
}

void TStringList::Put(int AIndex, const String& AValue)
{
    CheckUnsorted();
    CheckIndex(AIndex);
    Changing();
    FList[static_cast<size_t>(AIndex)].Value = AValue;
    Changed();
}

void TStringList::PutObject(int AIndex, TObject* AObject)
{
    CheckIndex(AIndex);
    Changing();
    FList[static_cast<size_t>(AIndex)].Object = AObject;
    Changed();
}

void TStringList::SetUpdateState(bool AUpdating)
{
    if (AUpdating)
        Changing();
    else
        Changed();
}

int TStringList::CompareStrings(const String& A, const String& B) const
{
    return FCaseSensitive ? CompareStr(A, B) : CompareText(A, B);
}

void TStringList::Changing()
{
    if (UpdateCount() == 0 && FOnChanging)
        FOnChanging(this);
}

void TStringList::Changed()
{
    if (UpdateCount() == 0 && FOnChange)
        FOnChange(this);
}

void TStringList::CheckIndex(int AIndex) const
{
    if (AIndex < 0 || AIndex >= Count())
        RaiseStringListIndexError(AIndex);
}

void TStringList::CheckUnsorted() const
{
    if (FSorted)
        throw EStringListError(SSortedListError);
}

void TStringList::SortItems()
{
    if (FList.size() < 2)
        return;
    Changing();
    std::stable_sort(FList.begin(), FList.end(), [&](const TStringItem& A, const TStringItem& B) {
        return CompareStrings(A.Value, B.Value) < 0;
    });
    Changed();
}
