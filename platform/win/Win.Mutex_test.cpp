// A named mutex is held by its process until it is freed or the process ends.
#include "Win.Mutex.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include "Win.TestEnvironment.h"

namespace {

TEST(NamedMutexTest, SecondHolderIsRefusedUntilTheFirstGoes)
{
    TTestHome Home;
    auto First = Owned(TNamedMutex::Create("Local\\orva"));
    ASSERT_TRUE(First->Valid());
    EXPECT_FALSE(First->AlreadyExists());
    auto Second = Owned(TNamedMutex::Create("Local\\orva"));
    EXPECT_TRUE(Second->AlreadyExists());
    EXPECT_FALSE(Second->Valid());
    auto Other = Owned(TNamedMutex::Create("Local\\Orva"));   // names are compared exactly
    EXPECT_FALSE(Other->AlreadyExists());
    First.reset();
    EXPECT_FALSE(Owned(TNamedMutex::Create("Local\\orva"))->AlreadyExists());
}

TEST(NamedMutexTest, AnotherProcessHoldsItUntilItEnds)
{
    TTestHome Home;
    int ToParent[2], ToChild[2];
    ASSERT_EQ(pipe(ToParent), 0);
    ASSERT_EQ(pipe(ToChild), 0);
    pid_t Child = fork();
    if (Child == 0) {
        TNamedMutex* Held = TNamedMutex::Create("Local\\title/with:odd*chars");
        char Byte = Held->Valid() ? 'y' : 'n';
        (void)!write(ToParent[1], &Byte, 1);
        (void)!read(ToChild[0], &Byte, 1);   // wait for the parent's test
        _exit(0);                             // ends without freeing the mutex
    }
    char Byte = 0;
    ASSERT_EQ(read(ToParent[0], &Byte, 1), 1);
    ASSERT_EQ(Byte, 'y');
    EXPECT_TRUE(Owned(TNamedMutex::Create("Local\\title/with:odd*chars"))->AlreadyExists());
    (void)!write(ToChild[1], &Byte, 1);
    waitpid(Child, nullptr, 0);
    EXPECT_FALSE(Owned(TNamedMutex::Create("Local\\title/with:odd*chars"))->AlreadyExists());
    for (int Fd : {ToParent[0], ToParent[1], ToChild[0], ToChild[1]})
        close(Fd);
}

TEST(NamedMutexTest, LongNamesStillMakeDistinctLocks)
{
    TTestHome Home;
    String Long(400, 'x');
    auto A = Owned(TNamedMutex::Create(Long + "a"));
    auto B = Owned(TNamedMutex::Create(Long + "b"));
    EXPECT_TRUE(A->Valid());
    EXPECT_TRUE(B->Valid());
    EXPECT_TRUE(Owned(TNamedMutex::Create(Long + "a"))->AlreadyExists());
}

}  // namespace
