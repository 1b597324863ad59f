// The print dialog run modally and driven by the keys while it shows.
#include "Vcl.Dialogs.Print.h"

#include <gtest/gtest.h>

#include "Vcl.Printers.h"
#include "Vcl.TestScript.h"

namespace {

class PrintDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FOwner = TForm::Create(Application);
        FOwner->Show();
        FDialog = TPrintDialog::Create(FOwner);
        FDialog->SetOptions({poPageNums});
        FDialog->SetMinPage(1);
        FDialog->SetMaxPage(5);
        FDialog->SetFromPage(1);
        FDialog->SetToPage(5);
    }
    void TearDown() override
    {
        Printer()->SetFileName("");
        Printer()->SetCopies(1);
        FOwner->Free();
        Application->ProcessMessages();
    }
    bool Run(std::vector<TUserScript::TStep> ASteps)
    {
        TUserScript Script(std::move(ASteps));
        bool Result = FDialog->Execute();
        EXPECT_FALSE(Script.TimedOut()) << "the dialog did not close within 10 s";
        return Result;
    }
    TForm* FOwner = nullptr;
    TPrintDialog* FDialog = nullptr;
};

TEST_F(PrintDialogTest, CopiesAndAPageRangeReachTheDialogAndThePrinter)
{
    Printer()->SetFileName("/tmp/print-dialog-test.pdf");
    struct TCase {
        const char* What;
        std::vector<TKey> Input;
        bool Confirmed;
        int Copies;
        TPrintRange Range;
        int From, To;
    };
    const TCase Cases[] = {
        {"copies", {KeyIn('C', {ssAlt}), TextIn(U"3"), KeyIn(VK_RETURN)}, true, 3, prAllPages, 1, 5},
        {"a page range", {KeyIn('F', {ssAlt}), TextIn(U"2"), KeyIn('T', {ssAlt}), TextIn(U"4"), KeyIn(VK_RETURN)}, true, 3, prPageNums, 2, 4},
        {"pages beyond the document are refused",
         {KeyIn('T', {ssAlt}), TextIn(U"9"), KeyIn(VK_RETURN), KeyIn(VK_ESCAPE)}, false, 3, prPageNums, 2, 4},
        {"no copies are refused", {KeyIn('C', {ssAlt}), TextIn(U"0"), KeyIn(VK_RETURN), KeyIn(VK_ESCAPE)}, false, 3, prPageNums, 2, 4},
        {"all pages again", {KeyIn('A', {ssAlt}), KeyIn(VK_RETURN)}, true, 3, prAllPages, 2, 4},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.What);
        EXPECT_EQ(Run({Keys(Case.Input)}), Case.Confirmed);
        EXPECT_EQ(FDialog->Copies(), Case.Copies);
        EXPECT_EQ(Printer()->Copies(), Case.Copies);
        EXPECT_EQ(FDialog->PrintRange(), Case.Range);
        EXPECT_EQ(FDialog->FromPage(), Case.From);
        EXPECT_EQ(FDialog->ToPage(), Case.To);
    }
}

TEST_F(PrintDialogTest, WithoutAPrinterItSaysSoAndOnlyCancels)
{
    if (!Printer()->Printers().empty())
        GTEST_SKIP() << "this machine has a printer";
    String Said;
    std::vector<TUserScript::TStep> Steps = {
        Keys({KeyIn(VK_RETURN)}),
        Then([&](TCustomForm* AForm) {
            Said = LabelsOf(AForm);
            PostKeys(AForm, {KeyIn(VK_ESCAPE)});
        }),
    };
    EXPECT_FALSE(Run(std::move(Steps)));
    EXPECT_NE(Said.find("No printer is installed."), String::npos) << Said;
}

}  // namespace
