// Win.Mutex.cpp: named mutexes over flock on lock files.
#include "Win.Mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdio>

#include "Win.Folders.h"

namespace {

// A file name for any mutex name: letters and digits stay, every other byte is %XX, so two
// names never share a file. A name too long for the file system keeps its start and gets a
// hash of the whole name in place of the rest.
String LockFileName(const String& AName)
{
    constexpr size_t MaxEncoded = 180;
    String Result;
    for (unsigned char C : AName) {
        if (std::isalnum(C) || C == '-' || C == '_' || C == '.') {
            Result += static_cast<char>(C);
        } else {
            char Hex[4];
            std::snprintf(Hex, sizeof Hex, "%%%02X", C);
            Result += Hex;
        }
    }
    if (Result.size() > MaxEncoded) {
        uint64_t Hash = 14695981039346656037ull;   // FNV-1a, 64 bits
        for (unsigned char C : AName)
            Hash = (Hash ^ C) * 1099511628211ull;
        char Tail[20];
        std::snprintf(Tail, sizeof Tail, "#%016llx", static_cast<unsigned long long>(Hash));
        Result = Result.substr(0, MaxEncoded) + Tail;
    }
    return GetUserRuntimeFolder() + "mutex-" + Result + ".lock";
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
