// Bit helpers, unit conversion, update counters and procedure records.
#include "XCore.Types.h"

#include <gtest/gtest.h>

namespace {

TEST(XCoreTypesTest, BitHelpers)
{
    EXPECT_EQ(SetBit(0, 32, true), 0u);
    EXPECT_EQ(SetBit(0, 31, true), 0x80000000u);
    EXPECT_EQ(SetBit(0xFF, 0, false), 0xFEu);
    EXPECT_TRUE(GetBit(static_cast<uint32_t>(-1), 31));
    EXPECT_FALSE(GetBit(static_cast<uint32_t>(-1), 32));
    EXPECT_EQ(SetBits(0, {0, 3, 40}, true), 9u);
    EXPECT_EQ(SetBits(9, {}, false), 9u);
    EXPECT_EQ(SetBit64(63, true, 0), uint64_t(1) << 63);
    EXPECT_EQ(SetBit64(64, true, 5), 5u);
}

TEST(XCoreTypesTest, MetricToPixels)
{
    EXPECT_EQ(MetricToPixels(96, 2540), 96);
    EXPECT_EQ(MetricToPixels(0, 1234), 1234);
    EXPECT_EQ(MetricToPixels(1, 1270), 0);      // exactly a half: to the even neighbour
    EXPECT_EQ(MetricToPixels(1, 3810), 2);
    EXPECT_EQ(MetricToPixels(600, 2000000000), 472440945);   // the product needs 64 bits
}

TEST(XCoreTypesTest, UpdateCounterNests)
{
    TXUpdateCounter Counter;
    EXPECT_TRUE(Counter.IsIdle());
    Counter.EndUpdate();   // without a BeginUpdate
    EXPECT_TRUE(Counter.IsIdle());
    Counter.BeginUpdate();
    Counter.BeginUpdate();
    Counter.EndUpdate();
    EXPECT_FALSE(Counter.IsIdle());
    Counter.EndUpdate();
    EXPECT_TRUE(Counter.IsIdle());
    EXPECT_EQ(Counter.Count, 0);
}

int GPlainCalls = 0;
void PlainProcedure() { ++GPlainCalls; }

struct TCounter {
    int Calls = 0;
    void Tick() { ++Calls; }
};

TEST(XCoreTypesTest, AnyProcedureInvokesAndCompares)
{
    TCounter Counter;
    TXAnyProcedure Method = TXAnyProcedure::FromMethod(TMethod<void()>::Bind<&TCounter::Tick>(&Counter));
    TXAnyProcedure Plain = TXAnyProcedure::FromProcedure(&PlainProcedure);
    Method.Invoke();
    Plain.Invoke();
    EXPECT_EQ(Counter.Calls, 1);
    EXPECT_EQ(GPlainCalls, 1);

    TXAnyProcedureComparer Comparer;
    EXPECT_EQ(Comparer.Compare(Method, TXAnyProcedure::FromMethod(TMethod<void()>::Bind<&TCounter::Tick>(&Counter))), 0);
    TCounter Other;
    TXAnyProcedure OtherMethod = TXAnyProcedure::FromMethod(TMethod<void()>::Bind<&TCounter::Tick>(&Other));
    EXPECT_NE(Comparer.Compare(Method, OtherMethod), 0);
    EXPECT_EQ(Comparer.Compare(Method, OtherMethod), -Comparer.Compare(OtherMethod, Method));
}

TEST(XCoreTypesTest, TryFindClassAnswersNilForUnknownNames)
{
    RegisterClass(TComponent::StaticClass());
    EXPECT_EQ(TryFindClass("tcomponent"), TComponent::StaticClass());
    EXPECT_EQ(TryFindClass("TNoSuchClass"), nullptr);
    EXPECT_EQ(CreateInstanceOf(nullptr), nullptr);
}

}  // namespace
