// The recovery program's settings persistence: settings written in its form of the XML object
// format come back whole, nested objects, collection items and binary data included.
#include "XIni.h"

#include <gtest/gtest.h>

#include "XCore.Errors.h"
#include "XCore.Persistence.XML.h"

namespace {

class TTestFileType : public TCollectionItem {
    X_CLASS(TTestFileType, TCollectionItem)
public:
    String Extension;
    bool Checked = true;
    static void DeclareProperties(TPropertyDeclarer& P)
    {
        P.Property("Extension", &TTestFileType::Extension, &TTestFileType::Extension);
        P.Property("Checked", &TTestFileType::Checked, &TTestFileType::Checked).Default(true);
    }

protected:
    TTestFileType() = default;
};

class TTestFileTypes : public TPersistent {
    X_CLASS(TTestFileTypes, TPersistent)
public:
    TCollection* Items() const { return FItems.get(); }
    static void DeclareProperties(TPropertyDeclarer& P) { P.Property("Items", &TTestFileTypes::Items); }

protected:
    TTestFileTypes() = default;
    void Construct() { FItems = Owned(TCollection::Create(TTestFileType::StaticClass())); }

private:
    TOwned<TCollection> FItems;
};

class TTestRecoveryIni : public TXIni {
    X_CLASS(TTestRecoveryIni, TXIni)
public:
    bool ShowThumbnails = true;
    int Sort = 0;
    std::string Layout;   // binary, defined by the object itself
    TTestFileTypes* FileTypes() const { return FFileTypes.get(); }
    void AddFileType(const char* AExtension, bool AChecked)
    {
        auto* Item = static_cast<TTestFileType*>(FFileTypes->Items()->Add());
        Item->Extension = AExtension;
        Item->Checked = AChecked;
    }
    static void DeclareProperties(TPropertyDeclarer& P)
    {
        P.Property("ShowThumbnails", &TTestRecoveryIni::ShowThumbnails, &TTestRecoveryIni::ShowThumbnails).Default(true);
        P.Property("Sort", &TTestRecoveryIni::Sort, &TTestRecoveryIni::Sort).Default(0);
        P.Property("FileTypes", &TTestRecoveryIni::FileTypes);
    }
    void DefineProperties(TFiler* AFiler) override
    {
        AFiler->DefineBinaryProperty("Layout", TStreamProc::Bind<&TTestRecoveryIni::ReadLayout>(this),
                                     TStreamProc::Bind<&TTestRecoveryIni::WriteLayout>(this), !Layout.empty());
    }

protected:
    TTestRecoveryIni() = default;
    void Construct(TComponent* AOwner) override
    {
        FFileTypes = Owned(TTestFileTypes::Create());
        inherited::Construct(AOwner);
    }

private:
    void ReadLayout(TStream* AStream)
    {
        Layout.resize(static_cast<size_t>(AStream->Size()));
        AStream->ReadBuffer(Layout.data(), AStream->Size());
    }
    void WriteLayout(TStream* AStream) { AStream->WriteBuffer(Layout.data(), static_cast<int64_t>(Layout.size())); }

    TOwned<TTestFileTypes> FFileTypes;
};

TEST(RecoverySettingsTest, EveryStoredPartComesBackPlainOrCompressed)
{
    auto Saved = Owned(TTestRecoveryIni::Create(nullptr));
    Saved->SetlgID(0x415);
    Saved->ShowThumbnails = false;
    Saved->Sort = 2;
    Saved->Layout = std::string("\x00\x01\xFE\xFF", 4);
    Saved->AddFileType("jpg", true);
    Saved->AddFileType("cr2", false);
    for (bool Compress : {false, true}) {
        SCOPED_TRACE(Compress ? "compressed" : "plain");
        auto Stream = Owned(TMemoryStream::Create());
        ASSERT_TRUE(Saved->SaveToStream(Stream.get(), Compress));
        std::string Bytes(reinterpret_cast<const char*>(Stream->Memory()), static_cast<size_t>(Stream->Size()));
        if (Compress) {
            for (const char* Head : {"objec", "<?xml", "\xEF\xBB\xBF"})
                EXPECT_NE(Bytes.rfind(Head, 0), 0u) << Head;
        } else {
            EXPECT_EQ(Bytes.rfind("<?xml", 0), 0u);
            EXPECT_NE(Bytes.find("<objects>\n  <o name=\"\">"), std::string::npos) << Bytes;
            EXPECT_NE(Bytes.find("<p name=\"Layout\">0001FEFF</p>"), std::string::npos) << Bytes;
        }

        auto Loaded = Owned(TTestRecoveryIni::Create(nullptr));
        Loaded->AddFileType("stale", true);
        ASSERT_TRUE(Loaded->LoadFromStream(Stream.get())) << GetErrorText();
        EXPECT_EQ(Loaded->lgID(), 0x415u);
        EXPECT_FALSE(Loaded->ShowThumbnails);
        EXPECT_EQ(Loaded->Sort, 2);
        EXPECT_EQ(Loaded->Layout, Saved->Layout);
        TCollection* Items = Loaded->FileTypes()->Items();
        ASSERT_EQ(Items->Count(), 2);
        EXPECT_EQ(static_cast<TTestFileType*>(Items->Items(0))->Extension, "jpg");
        EXPECT_FALSE(static_cast<TTestFileType*>(Items->Items(1))->Checked);
    }
}

}  // namespace
