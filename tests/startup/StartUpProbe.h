// StartUpProbe.h: a component with a caption, a stream and binary data it defines itself, the
// three things the forms of the XML object format treat differently, written and read back
// through the serializer hooks as stored objects are.
#pragma once

#include <gtest/gtest.h>

#include "Rtl.Classes.h"
#include "Rtl.Streams.h"
#include "Vcl.Screen.h"
#include "XObjectFiler.h"

class TStartUpProbe : public TComponent {
    X_CLASS(TStartUpProbe, TComponent)
public:
    String Caption;
    std::string Data;
    TMemoryStream* Stream() const { return FStream.get(); }
    static void DeclareProperties(TPropertyDeclarer& P)
    {
        P.Property("Caption", &TStartUpProbe::Caption, &TStartUpProbe::Caption);
        P.Property("Stream", &TStartUpProbe::Stream);
    }
    void DefineProperties(TFiler* AFiler) override
    {
        AFiler->DefineBinaryProperty("Data", TStreamProc::Bind<&TStartUpProbe::ReadData>(this),
                                     TStreamProc::Bind<&TStartUpProbe::WriteData>(this), !Data.empty());
    }

    // A probe holding "Grüße", a stream "abc" and the data 01 AB.
    static TOwned<TStartUpProbe> Filled()
    {
        RegisterClass(StaticClass());
        auto Probe = Owned(Create(nullptr));
        Probe->Caption = "Grüße";
        Probe->Data = "\x01\xAB";
        Probe->Stream()->WriteBuffer("abc", 3);
        return Probe;
    }
    // Its text through the hooks.
    static String Text()
    {
        String Text;
        EXPECT_TRUE(SaveObjectToText(Filled().get(), Text, false, false, nullptr));
        return Text;
    }
    // Written to a stream through the hooks and read back as a new object; nil when it reads
    // back as none.
    static TOwned<TStartUpProbe> ReadBack()
    {
        auto Stream = Owned(TMemoryStream::Create());
        EXPECT_TRUE(SaveObjectToStream(Filled().get(), Stream.get(), false, false, nullptr));
        Stream->SetPosition(0);
        return Owned(AsOrNull<TStartUpProbe>(ReadObjectFromStream(Stream.get(), nullptr, false)));
    }

protected:
    TStartUpProbe() = default;
    void Construct(TComponent* AOwner) override
    {
        FStream = Owned(TMemoryStream::Create());
        inherited::Construct(AOwner);
    }

private:
    void ReadData(TStream* AStream)
    {
        Data.resize(static_cast<size_t>(AStream->Size()));
        AStream->ReadBuffer(Data.data(), AStream->Size());
    }
    void WriteData(TStream* AStream) { AStream->WriteBuffer(Data.data(), static_cast<int64_t>(Data.size())); }

    TOwned<TMemoryStream> FStream;
};

// The framework's own cursors are in the screen's table under their names.
inline void ExpectFrameworkCursors()
{
    EXPECT_EQ(CursorShape(4), "XCRHMOVE");
    EXPECT_EQ(CursorShape(5), "XCRHPOINT");
    EXPECT_EQ(CursorShape(6), "XCRPICK");
}
