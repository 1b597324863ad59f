// Win.Mutex.cpp: named mutexes over flock on lock files.
#include "Win.Mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "Win.Folders.h"

namespace {

// A name too long for the file system keeps its start and a hash of the rest.
String LockFileName(const String& AName)
{
    return RuntimeFileName("mutex-", AName, ".lock", 180);
}

}  // namespace

void TNamedMutex::Construct(const String& AName)
{
    FHandle = ::open(LockFileName(AName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (FHandle < 0)
        return;
    // Each open file has its own flock, so a second mutex of the same name in this process
    // is refused just as one in another process is.
    if (::flock(FHandle, LOCK_EX | LOCK_NB) != 0) {
        FAlreadyExists = true;
        ::close(FHandle);
        FHandle = -1;
    }
}

TNamedMutex::~TNamedMutex()
{
    if (FHandle >= 0)
        ::close(FHandle);
}
