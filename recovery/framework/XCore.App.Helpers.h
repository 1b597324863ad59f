// XCore.App.Helpers.h: small application, date and list helpers of the recovery program.
// IsApplicationTerminating may be called from any thread; the others are plain functions.
#pragma once

#include <initializer_list>
#include <string_view>

#include "Rtl.Types.h"
#include "XPlatform.System.h"

// The core application's terminated flag; False while there is no core application.
bool IsApplicationTerminating();
bool SameDateTimeValue(TDateTime A, TDateTime B);
// "2021-03-05T07:08:09": the year in plain decimal, the other parts with two digits.
String DateTimeToISOText(TDateTime AValue);
// The texts with "|" between them.
String JoinWithPipe(std::initializer_list<std::string_view> ATexts);

// The recovery program's system object: "<wpf>" names the user's own programs folder, the home
// folder followed by "Programs\". Started with StartAppSingletons(nullptr, StaticClass()).
class TXRecoverySystem : public TXNVSystem {
    X_CLASS(TXRecoverySystem, TXNVSystem)
protected:
    TXRecoverySystem() = default;
    String GetUserProgramsFolder() override { return HomeFolder() + "Programs\\"; }
};
