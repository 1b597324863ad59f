// XDR.Dlgs.ClusterError.h: the question a card image job asks when a cluster cannot be read:
// go on ignoring errors, skip this cluster, skip N clusters, or finish reading.
// Execute runs on the UI thread; the job reaches it through TThread::Synchronize.
#pragma once

#include <cstdint>

#include "Rtl.Methods.h"
#include "Rtl.Objects.h"
#include "Rtl.Strings.h"

// Choices; 0 until the question has been asked.
inline constexpr uint8_t kClusterChoiceNone = 0;
inline constexpr uint8_t kClusterChoiceIgnoreAll = 1;
inline constexpr uint8_t kClusterChoiceSkipOne = 2;
inline constexpr uint8_t kClusterChoiceSkipN = 3;
inline constexpr uint8_t kClusterChoiceFinish = 4;

class TXDRClusterErrorDialog;

// What the form answers: the checked button (1..4) and the text of the skip count's edit.
struct TXDRClusterErrorReply {
    uint8_t Choice = kClusterChoiceIgnoreAll;
    String SkipText;
};
// Shows the form modally with the dialog's question and its pre-selected choice.
using TXDRClusterErrorForm = TMethod<TXDRClusterErrorReply(const TXDRClusterErrorDialog&)>;

class TXDRClusterErrorDialog : public TObject {
    X_CLASS(TXDRClusterErrorDialog, TObject)
public:
    uint8_t Choice() const { return FChoice; }
    void SetChoice(uint8_t AValue) { FChoice = AValue; }
    int64_t SkipCount() const { return FSkipCount; }
    void SetSkipCount(int64_t AValue) { FSkipCount = AValue; }
    // The failing cluster, counted from 1.
    int64_t Cluster() const { return FCluster; }
    void SetCluster(int64_t AValue) { FCluster = AValue; }
    int64_t ClusterCount() const { return FClusterCount; }
    void SetClusterCount(int64_t AValue) { FClusterCount = AValue; }
    int64_t ClusterSize() const { return FClusterSize; }
    void SetClusterSize(int64_t AValue) { FClusterSize = AValue; }
    // The button checked when the form opens: the last choice, ignore-all by default.
    uint8_t PreselectedChoice() const;

    // Asks through the form; without one, ignore-all is the answer. A skip count that is no
    // number, or less than 1, reads as 1.
    void Execute();

    // The program's form; none until the user interface sets it.
    static void SetForm(TXDRClusterErrorForm AForm);

protected:
    TXDRClusterErrorDialog() = default;

private:
    uint8_t FChoice = kClusterChoiceNone;
    int64_t FSkipCount = 10;
    int64_t FCluster = 0;
    int64_t FClusterCount = 0;
    int64_t FClusterSize = 0;
};
