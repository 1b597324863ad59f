// Rtl.TestRestore.h: for tests only: keeps the value of a process-wide variable (a hook, a
// setting) and puts it back when the guard goes, so that a test which replaces it leaves the
// next test what it found, whatever order the tests run in.
#pragma once

#include <utility>

template <class T>
class TRestore {
public:
    explicit TRestore(T& AVariable) : FVariable(AVariable), FSaved(AVariable) {}
    ~TRestore() { FVariable = std::move(FSaved); }
    TRestore(const TRestore&) = delete;
    TRestore& operator=(const TRestore&) = delete;

private:
    T& FVariable;
    T FSaved;
};
