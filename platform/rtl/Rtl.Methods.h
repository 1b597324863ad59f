// Rtl.Methods.h: method pointers ("procedure of object"): an (object, code) pair that can be
// called, compared and ordered. Handler lists find and remove handlers by equality, which
// std::function cannot give. Never link with identical-code folding (--icf=all): it can merge
// two handlers' thunks, which would then compare equal.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>

namespace XRtlDetail {

template <class T>
struct TMemberTraits;
template <class C, class R, class... A>
struct TMemberTraits<R (C::*)(A...)> {
    using Class = C;
};
template <class C, class R, class... A>
struct TMemberTraits<R (C::*)(A...) const> {
    using Class = const C;
};
template <class C, class R, class... A>
struct TMemberTraits<R (C::*)(A...) noexcept> {
    using Class = C;
};
template <class C, class R, class... A>
struct TMemberTraits<R (C::*)(A...) const noexcept> {
    using Class = const C;
};

}  // namespace XRtlDetail

template <class TSignature>
class TMethod;

template <class R, class... TArgs>
class TMethod<R(TArgs...)> {
public:
    using TCode = R (*)(void*, TArgs...);

    TMethod() = default;
    TMethod(std::nullptr_t) {}
    // A method from its parts, as the type information layer hands them back.
    TMethod(TCode ACode, void* AData) : FData(AData), FCode(ACode) {}

    // FOkButton->SetOnClick(TNotifyEvent::Bind<&TXWizardForm::OkClick>(this));
    // The thunk depends only on the member, so binding through a base or a derived pointer
    // gives equal methods.
    template <auto AMember>
    static TMethod Bind(typename XRtlDetail::TMemberTraits<decltype(AMember)>::Class* AObject)
    {
        using TClassOf = typename XRtlDetail::TMemberTraits<decltype(AMember)>::Class;
        TMethod Result;
        Result.FData = const_cast<void*>(static_cast<const void*>(AObject));
        Result.FCode = [](void* AData, TArgs... AArgs) -> R {
            return (static_cast<TClassOf*>(AData)->*AMember)(std::forward<TArgs>(AArgs)...);
        };
        return Result;
    }

    explicit operator bool() const { return FCode != nullptr; }
    R operator()(TArgs... AArgs) const { return FCode(FData, std::forward<TArgs>(AArgs)...); }

    // The bound object (Delphi's TMethod.Data) and the thunk (TMethod.Code).
    void* Data() const { return FData; }
    TCode Code() const { return FCode; }

    friend bool operator==(const TMethod& A, const TMethod& B) { return A.FCode == B.FCode && A.FData == B.FData; }
    // Code first, then the object.
    friend bool operator<(const TMethod& A, const TMethod& B)
    {
        std::less<const void*> Less;
        auto CodeA = reinterpret_cast<const void*>(A.FCode);
        auto CodeB = reinterpret_cast<const void*>(B.FCode);
        if (CodeA != CodeB)
            return Less(CodeA, CodeB);
        return Less(A.FData, B.FData);
    }

private:
    void* FData = nullptr;
    TCode FCode = nullptr;
};

class TObject;
using TNotifyEvent = TMethod<void(TObject*)>;
