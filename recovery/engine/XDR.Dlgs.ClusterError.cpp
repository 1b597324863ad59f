// XDR.Dlgs.ClusterError.cpp: the read-error question.
#include "XDR.Dlgs.ClusterError.h"

#include <algorithm>

#include "Rtl.SysUtils.h"

namespace {

// Set and read on the UI thread only.
TXDRClusterErrorForm& Form()
{
    static TXDRClusterErrorForm Instance;
    return Instance;
}

}  // namespace

void TXDRClusterErrorDialog::SetForm(TXDRClusterErrorForm AForm)
{
    Form() = AForm;
}

uint8_t TXDRClusterErrorDialog::PreselectedChoice() const
{
    return FChoice >= kClusterChoiceSkipOne && FChoice <= kClusterChoiceFinish ? FChoice : kClusterChoiceIgnoreAll;
}

void TXDRClusterErrorDialog::Execute()
{
    TXDRClusterErrorReply Reply;
    Reply.Choice = kClusterChoiceIgnoreAll;
    Reply.SkipText = IntToStr(FSkipCount);
    if (Form())
        Reply = Form()(*this);
    // A count below 1 would skip nothing and stall the job on the same cluster.
    FSkipCount = std::max<int64_t>(StrToInt64Def(Trim(Reply.SkipText), 1), 1);
    FChoice = Reply.Choice >= kClusterChoiceSkipOne && Reply.Choice <= kClusterChoiceFinish ? Reply.Choice
                                                                                            : kClusterChoiceIgnoreAll;
}
