// Rtl.Objects.cpp: class metadata, freeing and the per-object lock.
#include "Rtl.Objects.h"

#include <cxxabi.h>

#include "Rtl.Interfaces.h"
#include "Rtl.SysUtils.h"

TClassInfo::TClassInfo(String AName, TClass AParent, TNewInstance ANewInstance,
                       TDeclareProperties ADeclareProperties)
    : FName(std::move(AName)), FParent(AParent), FNewInstance(ANewInstance), FDeclareProperties(ADeclareProperties)
{
}

bool TClassInfo::InheritsFrom(TClass AClass) const
{
    for (TClass C = this; C != nullptr; C = C->FParent)
        if (C == AClass)
            return true;
    return false;
}

TObject* TClassInfo::NewInstance() const
{
    if (FNewInstance == nullptr)
        throw EInvalidOperation("Cannot create an instance of the abstract class " + FName);
    return FNewInstance();
}

String XDemangledClassName(const std::type_info& AType)
{
    int Status = 0;
    std::unique_ptr<char, void (*)(void*)> Demangled(abi::__cxa_demangle(AType.name(), nullptr, nullptr, &Status),
                                                     std::free);
    String Name = Status == 0 ? String(Demangled.get()) : String(AType.name());
    static constexpr std::string_view Anonymous = "(anonymous namespace)::";
    for (size_t At = Name.find(Anonymous); At != String::npos; At = Name.find(Anonymous))
        Name.erase(At, Anonymous.size());
    // Drop the namespaces of the outermost name; template arguments keep theirs stripped too.
    String Result;
    size_t Segment = 0;
    for (size_t I = 0; I < Name.size(); ++I) {
        char C = Name[I];
        if (C == ':' && I + 1 < Name.size() && Name[I + 1] == ':') {
            Result.resize(Segment);
            ++I;
            continue;
        }
        Result += C;
        if (C == '<' || C == ',' || C == ' ')
            Segment = Result.size();
    }
    return Result;
}

TClass TObject::StaticClass()
{
    static const TClassInfo Info("TObject", nullptr, &XNewInstance<TObject>, &TObject::DeclareProperties);
    return &Info;
}

TObject::~TObject()
{
    delete FMonitor.load(std::memory_order_acquire);
}

String TObject::ClassName() const
{
    return ClassType()->ClassName();
}

bool TObject::InheritsFrom(TClass AClass) const
{
    return ClassType()->InheritsFrom(AClass);
}

void TObject::Free()
{
    BeforeDestruction();
    delete this;
}

bool TObject::GetInterface(const TGUID& AIID, void** AObj)
{
    if (AIID == XObjCastGUID) {
        *AObj = this;
        return true;
    }
    *AObj = nullptr;
    return false;
}

void TObject::MonitorEnter() const
{
    std::recursive_mutex* Monitor = FMonitor.load(std::memory_order_acquire);
    if (Monitor == nullptr) {
        auto* Fresh = new std::recursive_mutex;
        if (FMonitor.compare_exchange_strong(Monitor, Fresh, std::memory_order_acq_rel))
            Monitor = Fresh;
        else
            delete Fresh;   // another thread installed one first; Monitor now holds it
    }
    Monitor->lock();
}

void TObject::MonitorExit() const
{
    FMonitor.load(std::memory_order_acquire)->unlock();
}

namespace XRtlDetail {

void DestroyFailed(TObject* AObject) noexcept
{
    delete AObject;
}

void RaiseNotDescendant(TClass AClass, TClass ABase)
{
    throw EInvalidCast(String(AClass != nullptr ? AClass->ClassName() : "nil") + " is not a " + ABase->ClassName());
}

void RaiseInvalidCast()
{
    throw EInvalidCast(SInvalidCast);
}

}  // namespace XRtlDetail
