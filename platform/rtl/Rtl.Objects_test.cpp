// Class references, the factory's construction order, interfaces and method pointers.
#include "Rtl.Objects.h"

#include <gtest/gtest.h>

#include <vector>

#include "Rtl.Interfaces.h"
#include "Rtl.Methods.h"
#include "Rtl.SysUtils.h"

namespace {

std::vector<String> GLog;

class TBase : public TObject {
    X_CLASS(TBase, TObject)
    void AfterConstruction() override { GLog.push_back("After"); }
    void BeforeDestruction() override { GLog.push_back("Before"); }
    ~TBase() override { GLog.push_back("~TBase"); }

protected:
    TBase() = default;
    virtual void Construct()
    {
        GLog.push_back("Construct");
        Init();
    }
    virtual void Init() { GLog.push_back("TBase.Init"); }
};

class TDerived : public TBase {
    X_CLASS(TDerived, TBase)
    static inline bool GFail = false;

protected:
    TDerived() = default;
    void Init() override
    {
        GLog.push_back("TDerived.Init");
        if (GFail)
            throw EConvertError("init failed");
    }
};

template <class T>
class TBox : public TObject {
    X_CLASS(TBox, TObject)
protected:
    TBox() = default;
};

TEST(ObjectsTest, ClassReferencesKnowNameParentAndAncestry)
{
    EXPECT_EQ(TDerived::StaticClass()->ClassName(), "TDerived");
    EXPECT_EQ(TDerived::StaticClass()->ClassParent(), TBase::StaticClass());
    EXPECT_TRUE(TDerived::StaticClass()->InheritsFrom(TObject::StaticClass()));
    EXPECT_FALSE(TBase::StaticClass()->InheritsFrom(TDerived::StaticClass()));
    EXPECT_FALSE(TBase::StaticClass()->InheritsFrom(nullptr));
    EXPECT_EQ(TBox<TBase>::StaticClass()->ClassName(), "TBox<TBase>");
    EXPECT_NE(TBox<TBase>::StaticClass(), TBox<TDerived>::StaticClass());
}

TEST(ObjectsTest, CreateRunsConstructionHooksOfTheMostDerivedClass)
{
    GLog.clear();
    TDerived* Obj = TDerived::Create();
    EXPECT_EQ(GLog, (std::vector<String>{"Construct", "TDerived.Init", "After"}));
    EXPECT_TRUE(Obj->Is<TBase>());
    GLog.clear();
    Obj->Free();
    EXPECT_EQ(GLog, (std::vector<String>{"Before", "~TBase"}));
}

TEST(ObjectsTest, CreateFromClassReferenceRunsTheDerivedHooks)
{
    GLog.clear();
    TBase* Obj = XCreateFromClass<TBase>(TDerived::StaticClass());
    EXPECT_EQ(Obj->ClassType(), TDerived::StaticClass());
    EXPECT_EQ(GLog, (std::vector<String>{"Construct", "TDerived.Init", "After"}));
    Obj->Free();
    EXPECT_THROW(XCreateFromClass<TDerived>(TBase::StaticClass()), EInvalidCast);
}

TEST(ObjectsTest, FailedConstructionDestroysTheObjectAndPassesTheException)
{
    GLog.clear();
    TDerived::GFail = true;
    EXPECT_THROW(TDerived::Create(), EConvertError);
    TDerived::GFail = false;
    EXPECT_EQ(GLog, (std::vector<String>{"Construct", "TDerived.Init", "~TBase"}));
}

TEST(ObjectsTest, AsRaisesInvalidCastForAnUnrelatedClass)
{
    TOwned<TBase> Obj = Owned(TBase::Create());
    EXPECT_EQ(As<TBase>(Obj.get()), Obj.get());
    EXPECT_THROW(As<TDerived>(Obj.get()), EInvalidCast);
    EXPECT_EQ(AsOrNull<TDerived>(Obj.get()), nullptr);
}

TEST(ObjectsTest, MonitorIsReentrantAndExcludesOtherThreads)
{
    TOwned<TBase> Obj = Owned(TBase::Create());
    Obj->MonitorEnter();
    Obj->MonitorEnter();
    int Shared = 0;
    std::thread Other([&] {
        TMonitorLock Lock(Obj.get());
        EXPECT_EQ(Shared, 1);
    });
    Shared = 1;
    Obj->MonitorExit();
    Obj->MonitorExit();
    Other.join();
}

// ---- Interfaces --------------------------------------------------------------------------

struct IXShape : IInterface {
    X_INTERFACE_ID(IInterface, "{11111111-2222-3333-4444-555555555555}");
    virtual int Corners() = 0;
};
struct IXSquare : IXShape {
    X_INTERFACE_ID(IXShape, "{11111111-2222-3333-4444-666666666666}");
    virtual int Side() = 0;
};
struct IXColour : IInterface {
    X_INTERFACE_ID(IInterface, "{11111111-2222-3333-4444-777777777777}");
};

class TSquare : public TInterfacedObject, public IXSquare {
    X_CLASS(TSquare, TInterfacedObject)
    X_INTERFACES(IXSquare)
public:
    HRESULT QueryInterface(const TGUID& AIID, void** AObj) override { return inherited::QueryInterface(AIID, AObj); }
    int32_t _AddRef() override { return inherited::_AddRef(); }
    int32_t _Release() override { return inherited::_Release(); }
    int Corners() override { return 4; }
    int Side() override { return 3; }
    ~TSquare() override { ++GDestroyed; }
    static inline int GDestroyed = 0;

protected:
    TSquare() = default;
};

TEST(InterfacesTest, GuidParsesAndPrints)
{
    constexpr TGUID G = TGUID::Parse("{8C5471A3-7CC6-43D4-AC58-9D9EC771167A}");
    EXPECT_EQ(G.D1, 0x8C5471A3u);
    EXPECT_EQ(G.D4[7], 0x7A);
    EXPECT_EQ(G.ToString(), "{8C5471A3-7CC6-43D4-AC58-9D9EC771167A}");
    EXPECT_THROW(TGUID::Parse("{8C5471A3-7CC6-43D4-AC58-9D9EC771167}"), std::invalid_argument);
}

TEST(InterfacesTest, CountedObjectLivesWhileReferencedAndAnswersParentInterfaces)
{
    TSquare::GDestroyed = 0;
    TSquare* Square = TSquare::Create();
    EXPECT_EQ(Square->RefCount(), 0);
    {
        TIntf<IXShape> Shape;
        ASSERT_TRUE(Supports(Square, Shape));
        EXPECT_EQ(Shape->Corners(), 4);
        EXPECT_EQ(Square->RefCount(), 1);
        TIntf<IXSquare> Sq;
        ASSERT_TRUE(Supports(Shape.Get(), Sq));
        EXPECT_EQ(Sq->Side(), 3);
        EXPECT_EQ(ObjectOf(Sq.Get()), Square);
        EXPECT_FALSE(Supports<IXColour>(Square));
    }
    EXPECT_EQ(TSquare::GDestroyed, 1);
}

// ---- Methods -----------------------------------------------------------------------------

class THandler : public TObject {
    X_CLASS(THandler, TObject)
public:
    void Click(TObject*) { ++Clicks; }
    void Other(TObject*) { ++Clicks; }
    bool Decide(int A) { return A > 2; }
    int Clicks = 0;

protected:
    THandler() = default;
};

class TSubHandler : public THandler {
    X_CLASS(TSubHandler, THandler)
protected:
    TSubHandler() = default;
};

TEST(MethodsTest, BoundMethodsCallCompareAndOrder)
{
    TOwned<THandler> A = Owned(THandler::Create());
    TOwned<TSubHandler> B = Owned(TSubHandler::Create());
    TNotifyEvent ClickA = TNotifyEvent::Bind<&THandler::Click>(A.get());
    ClickA(nullptr);
    EXPECT_EQ(A->Clicks, 1);
    EXPECT_EQ(ClickA, TNotifyEvent::Bind<&THandler::Click>(A.get()));
    EXPECT_EQ(TNotifyEvent::Bind<&TSubHandler::Click>(B.get()), TNotifyEvent::Bind<&THandler::Click>(B.get()));
    EXPECT_FALSE(ClickA == TNotifyEvent::Bind<&THandler::Other>(A.get()));
    EXPECT_FALSE(ClickA == TNotifyEvent::Bind<&THandler::Click>(B.get()));
    EXPECT_FALSE(TNotifyEvent());
    auto Decide = TMethod<bool(int)>::Bind<&THandler::Decide>(A.get());
    EXPECT_TRUE(Decide(3));
    // Ordered by code first: both bindings of Click sort before or after both of Other.
    TNotifyEvent OtherA = TNotifyEvent::Bind<&THandler::Other>(A.get());
    TNotifyEvent ClickB = TNotifyEvent::Bind<&THandler::Click>(B.get());
    EXPECT_EQ(ClickA < OtherA, ClickB < OtherA);
}

}  // namespace
