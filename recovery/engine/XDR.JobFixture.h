// XDR.JobFixture.h: test-side harness for the recovery jobs: an engine with a worker gear whose
// data has a collection, the UI thread's loop until a job ends, and card images made of bytes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "../../tests/fixtures/CardImages.h"
#include "Vcl.Graphics.h"
#include "Vcl.Imaging.Jpeg.h"
#include "Vcl.TestLoop.h"
#include "Win.Messages.h"
#include "XCore.App.h"
#include "XCore.Errors.h"
#include "XDR.Gears.Work.h"

namespace XDRTesting {

using TBytes = std::vector<uint8_t>;
using XDR::Gears::Work::TXDRWorkerGear;

// A JPEG of AWidth x AHeight pixels of one colour, as an encoder writes it.
inline TBytes MakeJpeg(int AWidth, int AHeight, TColor AColor)
{
    TOwned<TBitmap> Bitmap = Owned(TBitmap::Create());
    Bitmap->SetSize(AWidth, AHeight);
    Bitmap->Canvas()->Brush()->SetColor(AColor);
    Bitmap->Canvas()->FillRect(Rect(0, 0, AWidth, AHeight));
    TOwned<TJPEGImage> Jpeg = Owned(TJPEGImage::Create());
    Jpeg->Assign(Bitmap.get());
    TOwned<TMemoryStream> Bytes = Owned(TMemoryStream::Create());
    Jpeg->SaveToStream(Bytes.get());
    const auto* Data = static_cast<const uint8_t*>(Bytes->Memory());
    return TBytes(Data, Data + Bytes->Size());
}

inline TBytes ReadBytes(const std::filesystem::path& APath)
{
    std::ifstream File(APath, std::ios::binary);
    return TBytes(std::istreambuf_iterator<char>(File), {});
}

inline void WriteBytes(const std::filesystem::path& APath, const TBytes& ABytes)
{
    std::ofstream File(APath, std::ios::binary | std::ios::trunc);
    File.write(reinterpret_cast<const char*>(ABytes.data()), static_cast<std::streamsize>(ABytes.size()));
}

// A card of zeros with files put at chosen offsets.
struct TCard {
    TBytes Bytes;
    explicit TCard(size_t ASize) : Bytes(ASize) {}
    void Put(size_t AOffset, const TBytes& AFile) { std::copy(AFile.begin(), AFile.end(), Bytes.begin() + AOffset); }
    // Saved under the scratch folder; answers the path.
    std::string Save(const std::string& AName) const
    {
        std::filesystem::path Path = XTestFixtures::ScratchFolder() / AName;
        WriteBytes(Path, Bytes);
        return Path.string();
    }
};

// What the gear told the UI thread.
struct THeard {
    std::vector<String> Added;   // names of the added files, in order
    std::vector<int32_t> Positions;
    std::vector<String> Log;
    bool Ended = false;
    String EndName;
    TXErrorData EndError;

    void Hear(IXNotification* ANotification)
    {
        if (auto* Add = AspectOf<TXDRAddFileAspect>(ANotification))
            Added.push_back(Add->Item->Name());
        if (auto* Changed = AspectOf<TXProgressChangedAspect>(ANotification))
            Positions.push_back(Changed->Position);
        if (auto* Line = AspectOf<TXLogStringAspect>(ANotification))
            Log.push_back(Line->Text);
        if (auto* End = AspectOf<TXOperationThreadTerminatedAspect>(ANotification)) {
            Ended = true;
            EndName = End->Name;
            EndError = End->ErrorData;
        }
    }
};

// An engine with the worker gear; the collection stands in for the data gear's.
class JobTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Thumbnails and read timing use the core application, as in the program.
        SetNVCoreApp(TXNVCoreApp::Create());
        Engine = XCore::Engine::TXEngine::Create();
        Gear = TXDRWorkerGear::Create(TIntf<IXEngine>(Engine));
        Files = TXDRFileCollection::Create(static_cast<TPersistent*>(nullptr));
        Gear->Data()->SetFiles(Files);
        TOwned<TXDRFileTypes> Types = Owned(TXDRFileTypes::Create());
        Types->GetEnabledExtensions(Gear->Data()->Extensions());
        Gear->SubscribeAll(TXNotificationHandler::Bind<&THeard::Hear>(&Heard));
        Engine->Notify(TXNotification<TXAssembleAspect>::New(TXAssembleAspect::Create()));
    }
    void TearDown() override
    {
        Gear->Free();
        Files->Free();
        Engine->Free();
        SetNVCoreApp(nullptr);
    }

    // Executes ACommand on the gear and runs the UI thread's loop until the job has ended.
    void Run(XDR::Gears::Work::TXDRWorkCommand* ACommand)
    {
        Heard = THeard();
        ASSERT_TRUE(Gear->ExecuteCommand(TIntf<IXCommand>(ACommand)));
        WaitForEnd();
    }
    // The UI thread's loop, with OnIdle on every round, until the job has ended.
    void WaitForEnd()
    {
        ASSERT_TRUE(PumpUntil("the job's end", [&] {
            if (OnIdle)
                OnIdle();
            return Heard.Ended;
        }));
        DispatchPending();
    }
    static void DispatchPending()
    {
        TMsg Msg;
        while (PeekMessageW(Msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(Msg);
    }
    void CancelFromTheWizard()
    {
        Engine->Notify(TXNotification<TXActionCancelAspect>::New(TXActionCancelAspect::Create(0)));
    }

    XCore::Engine::TXEngine* Engine = nullptr;
    TXDRWorkerGear* Gear = nullptr;
    TXDRFileCollection* Files = nullptr;
    THeard Heard;
    std::function<void()> OnIdle;
};

}  // namespace XDRTesting
