// Rtl.Comparers.h: generic comparers (Delphi's IComparer<T>): shared, immutable objects that
// order two values as <0, 0 or >0. Lists hold them by TComparerRef and share the defaults.
#pragma once

#include <compare>
#include <concepts>
#include <memory>
#include <type_traits>

template <class T>
class IComparer {
public:
    virtual ~IComparer() = default;
    virtual int Compare(const T& ALeft, const T& ARight) const = 0;
};

template <class T>
using TComparerRef = std::shared_ptr<const IComparer<T>>;

namespace XRtlDetail {

template <class T>
class TDefaultComparer final : public IComparer<T> {
public:
    int Compare(const T& ALeft, const T& ARight) const override
    {
        if constexpr (std::three_way_comparable<T>) {
            auto Order = ALeft <=> ARight;
            return Order < 0 ? -1 : (Order > 0 ? 1 : 0);
        } else if constexpr (std::equality_comparable<T>) {
            // Values without an order (records, say) still compare equal or not.
            return ALeft == ARight ? 0 : 1;
        } else {
            // Nothing to compare by: every pair differs, as no lookup by value is meaningful.
            (void)ALeft;
            (void)ARight;
            return 1;
        }
    }
};

template <class T, class TFunction>
class TFunctionComparer final : public IComparer<T> {
public:
    explicit TFunctionComparer(TFunction AFunction) : FFunction(std::move(AFunction)) {}
    int Compare(const T& ALeft, const T& ARight) const override { return FFunction(ALeft, ARight); }

private:
    TFunction FFunction;
};

}  // namespace XRtlDetail

// The type's own order: <=> when it has one, else equality alone.
template <class T>
TComparerRef<T> DefaultComparer()
{
    static const TComparerRef<T> Instance = std::make_shared<XRtlDetail::TDefaultComparer<T>>();
    return Instance;
}

// A comparer from a function of two values answering <0, 0 or >0.
template <class T, class TFunction>
TComparerRef<T> MakeComparer(TFunction AFunction)
{
    return std::make_shared<XRtlDetail::TFunctionComparer<T, TFunction>>(std::move(AFunction));
}
