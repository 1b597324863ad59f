// The service registry: lookup by exact class, replacement, aliases of subclasses, ownership.
#include "XCore.Services.h"

#include <gtest/gtest.h>

namespace {

int GAlive = 0;

class TServiceA : public TXObject {
    X_CLASS(TServiceA, TXObject)
protected:
    TServiceA() { ++GAlive; }
    ~TServiceA() override { --GAlive; }
};

class TServiceB : public TServiceA {
    X_CLASS(TServiceB, TServiceA)
protected:
    TServiceB() = default;
};

class ServicesTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        FManager.reset();
        EXPECT_EQ(GAlive, 0) << "every owned service is freed with the manager";
    }
    TOwned<TXServiceManager> FManager = Owned(TXServiceManager::Create());
};

TEST_F(ServicesTest, RegisteringAgainReplacesAndFreesTheFirst)
{
    EXPECT_EQ(FManager->GetService<TServiceA>(), nullptr);
    TServiceA* First = TServiceA::Create();
    FManager->RegisterService(First);
    EXPECT_EQ(FManager->GetService<TServiceA>(), First);
    TServiceA* Second = TServiceA::Create();
    FManager->RegisterService(Second);
    EXPECT_EQ(GAlive, 1);
    EXPECT_EQ(FManager->GetService<TServiceA>(), Second);
    FManager->RegisterService(Second);   // the same instance again stays registered
    EXPECT_EQ(FManager->GetService<TServiceA>(), Second);
    EXPECT_EQ(GAlive, 1);
}

TEST_F(ServicesTest, ASubclassIsFoundUnderBothClassesUntilRemoved)
{
    TServiceB* B = TServiceB::Create();
    FManager->RegisterService<TServiceA>(B);
    EXPECT_EQ(FManager->GetService<TServiceA>(), B);
    EXPECT_EQ(FManager->GetService<TServiceB>(), B);
    FManager->RemoveService<TServiceA>();
    EXPECT_EQ(FManager->GetService<TServiceA>(), nullptr);
    EXPECT_EQ(FManager->GetService<TServiceB>(), nullptr);
    EXPECT_EQ(GAlive, 0);
}

TEST_F(ServicesTest, AnOwnRegistrationOfTheSubclassIsLeftAlone)
{
    TServiceB* Own = TServiceB::Create();
    FManager->RegisterService(Own);
    TServiceB* Other = TServiceB::Create();
    FManager->RegisterService<TServiceA>(Other);
    EXPECT_EQ(FManager->GetService<TServiceB>(), Own);
    FManager->RemoveService<TServiceA>();
    EXPECT_EQ(FManager->GetService<TServiceB>(), Own);
    EXPECT_EQ(GAlive, 1);
}

TEST_F(ServicesTest, RemovingTheAliasFreesTheInstanceWithoutLeavingItRegistered)
{
    FManager->RegisterService<TServiceA>(TServiceB::Create());
    FManager->RemoveService<TServiceB>();
    EXPECT_EQ(GAlive, 0);
    EXPECT_EQ(FManager->GetService<TServiceA>(), nullptr);
    FManager->RegisterService(TServiceA::Create());   // the class can be registered again
    EXPECT_NE(FManager->GetService<TServiceA>(), nullptr);
}

TEST_F(ServicesTest, SetServiceDoesNotOwn)
{
    auto Kept = Owned(TServiceA::Create());
    FManager->SetService(Kept.get());
    FManager->RemoveService<TServiceA>();
    EXPECT_EQ(GAlive, 1);
    Kept.reset();
}

}  // namespace
