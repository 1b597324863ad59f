// Win.Mutex.h: named mutexes as the single-instance test uses them: a lock that the creating
// process holds until it frees the mutex or ends, however it ends. The name's lock is a file in
// the user's runtime folder, locked with flock; the kernel drops the lock with the process.
#pragma once

#include "Rtl.Objects.h"

class TNamedMutex : public TObject {
    X_CLASS(TNamedMutex, TObject)
public:
    // True when another holder (this or another process) already had the name at creation:
    // Windows' ERROR_ALREADY_EXISTS. Such a mutex holds nothing.
    bool AlreadyExists() const { return FAlreadyExists; }
    // True when the lock file could be made; False leaves the mutex holding nothing.
    bool Valid() const { return FHandle >= 0; }

protected:
    TNamedMutex() = default;
    ~TNamedMutex() override;
    // Names are compared exactly, as Windows does; "Local\" and any other character are allowed.
    virtual void Construct(const String& AName);

private:
    int FHandle = -1;
    bool FAlreadyExists = false;
};
