// Gradients, the calendar colour set, the key-colour guard and the blur kernel.
#include <gtest/gtest.h>

#include "Rtl.Classes.h"
#include "XDesignDef.h"
#include "XGraphics.Gradients.h"
#include "XMedia.Colors.Containers.h"
#include "XObjectFiler.h"

namespace {

void AddStop(TXGradientObject* AGradient, const String& AName, TColor AColor, int APosition, int AMid)
{
    TXGradientStop* Stop = AGradient->Stops()->Add();
    Stop->SetDisplayName(AName);
    Stop->SetColor(AColor);
    Stop->SetPosition(TXPercent(APosition));
    Stop->SetMid(TXPercent(AMid));
}

TEST(GradientTest, AssignmentLeavesExactlyTheCopiedStops)
{
    auto Three = Owned(TXGradientObject::Create());
    AddStop(Three.get(), "a", 0x0000FF, 0, 50);
    AddStop(Three.get(), "b", 0x00FF00, 40, 20);
    AddStop(Three.get(), "c", 0xFF0000, 100, 100);
    auto Five = Owned(TXGradientObject::Create());
    for (int I = 0; I < 5; ++I)
        AddStop(Five.get(), "x", 0x123456, I * 10, 1);

    Five->Assign(Three.get());
    ASSERT_EQ(Five->Stops()->Count(), 3);
    for (int I = 0; I < 3; ++I) {
        TXGradientStop* Want = Three->Stops()->Items(I);
        TXGradientStop* Got = Five->Stops()->Items(I);
        EXPECT_EQ(Got->GetDisplayName(), Want->GetDisplayName());
        EXPECT_EQ(Got->Color(), Want->Color());
        EXPECT_EQ(Got->Position(), Want->Position());
        EXPECT_EQ(Got->Mid(), Want->Mid());
    }
    Five->Clear();
    EXPECT_EQ(Five->Stops()->Count(), 0);
}

TEST(GradientTest, StreamingRefusesPercentagesAbove100)
{
    RegisterClass(TXGradientObject::StaticClass());
    auto Gradient = Owned(TXGradientObject::Create());
    AddStop(Gradient.get(), "s", 0xABCDEF, 100, 7);
    String Text;
    ASSERT_TRUE(SaveObjectToText(Gradient.get(), Text, true, false, nullptr));
    auto Copy = Owned(TXGradientObject::Create());
    ASSERT_TRUE(LoadObjectFromText(Copy.get(), Text, nullptr, false)) << Text;
    ASSERT_EQ(Copy->Stops()->Count(), 1);
    EXPECT_EQ(Copy->Stops()->Items(0)->Position(), 100);
    EXPECT_EQ(Copy->Stops()->Items(0)->Mid(), 7);

    for (const char* Property : {"Position = 100", "Mid = 7"}) {
        String Bad = Text;
        size_t At = Bad.find(Property);
        ASSERT_NE(At, String::npos) << Text;
        Bad.replace(At, strlen(Property), String(Property).substr(0, String(Property).find('=') + 2) + "101");
        // The reader skips a value its property refuses; the stop keeps its cleared 0.
        auto Target = Owned(TXGradientObject::Create());
        ASSERT_TRUE(LoadObjectFromText(Target.get(), Bad, nullptr, false)) << Bad;
        ASSERT_EQ(Target->Stops()->Count(), 1);
        TXGradientStop* Stop = Target->Stops()->Items(0);
        EXPECT_LE(Stop->Position(), 100);
        EXPECT_LE(Stop->Mid(), 100);
        EXPECT_TRUE(Stop->Position() == 0 || Stop->Mid() == 0) << Bad;
    }
    EXPECT_THROW(Gradient->Stops()->Items(0)->SetMid(101), EArgumentOutOfRangeException);
}

TEST(CalendarColorsTest, StartsUnsetAndCountsAsCompleteOnlyWithAllEleven)
{
    auto Colors = Owned(TXCalendarColors::Create());
    for (int I = 0; I < TXCalendarColors::kColorCount; ++I)
        EXPECT_EQ(Colors->GetColor(I), clNone) << I;
    EXPECT_TRUE(Colors->IsEmpty());
    for (int I = 0; I < TXCalendarColors::kColorCount - 1; ++I)
        Colors->SetColor(I, 0x010101 * I);
    EXPECT_TRUE(Colors->IsEmpty());
    Colors->SetColor(TXCalendarColors::ciGridColor, clBlack);
    EXPECT_FALSE(Colors->IsEmpty());
    Colors->SetColor(11, clRed);
    Colors->SetColor(-1, clRed);
    EXPECT_EQ(Colors->GetColor(11), clNone);

    auto Copy = Owned(TXCalendarColors::Create());
    Copy->SetColor(TXCalendarColors::ciDayColor, clRed);
    Copy->Assign(Colors.get());
    EXPECT_EQ(Copy->DayColor(), Colors->DayColor());
    EXPECT_EQ(Copy->GridColor(), clBlack);

    Colors->Clear();
    EXPECT_TRUE(Colors->IsEmpty());
    EXPECT_EQ(Colors->BgColor(), clNone);
    EXPECT_EQ(Colors->GridColor(), clNone);
    Copy->Assign(Colors.get());   // unset colours are copied too
    EXPECT_EQ(Copy->DayColor(), clNone);
}

TEST(CalendarColorsTest, StreamsOnlyTheSetColours)
{
    RegisterClass(TXCalendarColors::StaticClass());
    auto Colors = Owned(TXCalendarColors::Create());
    Colors->SetColor(TXCalendarColors::ciSundayColor, 0x0000FF);
    Colors->SetColor(TXCalendarColors::ciTodayColor, 0);
    String Text;
    ASSERT_TRUE(SaveObjectToText(Colors.get(), Text, true, false, nullptr));
    EXPECT_NE(Text.find("Obj.SundayColor = 255"), String::npos) << Text;
    EXPECT_NE(Text.find("Obj.TodayColor = 0"), String::npos) << Text;
    EXPECT_EQ(Text.find("BgColor"), String::npos) << Text;

    auto Read = Owned(TXCalendarColors::Create());
    Read->SetColor(TXCalendarColors::ciBgColor, clWhite);
    ASSERT_TRUE(LoadObjectFromText(Read.get(), Text, nullptr, false));
    EXPECT_EQ(Read->SundayColor(), 0x0000FF);
    EXPECT_EQ(Read->TodayColor(), 0);
    EXPECT_EQ(Read->DayColor(), clNone);
    EXPECT_TRUE(Read->IsEmpty());
}

TEST(SafeColorTest, OnlyTheKeyColourIsMoved)
{
    EXPECT_EQ(SafeColor(0xFF00FF), 0xFE00FF);
    for (TColor C : {TColor(0), TColor(0xFE00FF), TColor(0xFF00FE), TColor(0xFFFFFF), clNone})
        EXPECT_EQ(SafeColor(C), C);
}

TEST(GaussianKernelTest, RadiusFollowsSigmaWithinOneAndHundred)
{
    struct TCase {
        double Sigma;
        int Radius;
    };
    for (const TCase& C : {TCase{1, 2}, TCase{10, 30}, TCase{1.2, 3}, TCase{0.01, 1}, TCase{1000, 99}}) {
        const TXGaussianKernel& K = GaussianKernel(C.Sigma);
        EXPECT_EQ(K.Radius, C.Radius) << C.Sigma;
        float Sum = 0;
        for (int I = -K.Radius; I <= K.Radius; ++I)
            Sum += K.K(I);
        EXPECT_NEAR(Sum, 1.0f, 1e-5) << C.Sigma;
        EXPECT_EQ(K.K(K.Radius), K.K(-K.Radius));
    }
}

TEST(GaussianBlurTest, SpreadsAPointSymmetricallyAndKeepsFlatAreas)
{
    auto Bitmap = Owned(TBitmap::Create());
    Bitmap->SetPixelFormat(pf32bit);
    Bitmap->SetSize(9, 9);
    for (int Y = 0; Y < 9; ++Y) {
        auto* Row = static_cast<uint8_t*>(Bitmap->ScanLine(Y));
        for (int X = 0; X < 9; ++X) {
            const bool Centre = X == 4 && Y == 4;
            Row[X * 4] = Centre ? 255 : 0;       // a point in blue
            Row[X * 4 + 1] = 100;                // flat green
            Row[X * 4 + 2] = 0;
            Row[X * 4 + 3] = 77;                 // the fourth byte is not blurred
        }
    }
    GaussianBlur(Bitmap.get(), 1);
    auto Px = [&](int X, int Y, int C) { return static_cast<uint8_t*>(Bitmap->ScanLine(Y))[X * 4 + C]; };
    EXPECT_EQ(Bitmap->PixelFormat(), pf32bit);
    EXPECT_LT(Px(4, 4, 0), 255);
    EXPECT_GT(Px(4, 4, 0), Px(5, 4, 0));
    EXPECT_GT(Px(5, 4, 0), Px(6, 4, 0));
    EXPECT_EQ(Px(3, 4, 0), Px(5, 4, 0));
    EXPECT_EQ(Px(4, 3, 0), Px(5, 4, 0));
    EXPECT_EQ(Px(0, 0, 0), 0);   // beyond the radius of 2
    for (int Y = 0; Y < 9; ++Y)
        for (int X = 0; X < 9; ++X) {
            EXPECT_EQ(Px(X, Y, 1), 100);
            EXPECT_EQ(Px(X, Y, 3), 77);
        }

    auto Empty = Owned(TBitmap::Create());
    GaussianBlur(Empty.get(), 1);
    EXPECT_TRUE(Empty->Empty());
    auto Rgb = Owned(TBitmap::Create());
    Rgb->SetPixelFormat(pf8bit);
    Rgb->SetSize(3, 2);
    GaussianBlur(Rgb.get(), 2);
    EXPECT_EQ(Rgb->PixelFormat(), pf24bit);
}

}  // namespace
