#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "RichEdit.Print.h"
#include "RichEdit.Streams.h"

namespace {

String Output(const String& ACommand)
{
    String Output;
    FILE* Pipe = popen(ACommand.c_str(), "r");
    if (Pipe == nullptr)
        return Output;
    char Buffer[4096];
    while (size_t Count = fread(Buffer, 1, sizeof(Buffer), Pipe))
        Output.append(Buffer, Count);
    pclose(Pipe);
    return Output;
}

class PrinterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Folder = std::filesystem::temp_directory_path() / ("printer-test-" + std::to_string(getpid()));
        std::filesystem::create_directories(Folder);
    }
    void TearDown() override { std::filesystem::remove_all(Folder); }

    TRichDocument Pages(int AParagraphs)
    {
        std::u32string Text;
        for (int I = 1; I <= AParagraphs; ++I)
            Text += U"Paragraph number " + ToUtf32(std::to_string(I)) + U" of the printed document.\r";
        Text += U"The very end.";
        TCharFormat Format;
        Format.Face = "DejaVu Sans";
        Format.Size = 240;
        TRichDocument D;
        D.Insert(0, PlainTextFragment(Text, Format, TParaFormat{}), true);
        return D;
    }

    std::filesystem::path Folder;
};

TEST_F(PrinterTest, PrintsADocumentPageByPageIntoAPdf)
{
    TPrinter Printer;
    String File = (Folder / "out.pdf").string();
    Printer.SetFileName(File);
    Printer.SetDpi(300);
    TRichDocument D = Pages(150);   // about 60 lines of 12 points fill an A4 page
    int Count = PrintRichDocument(D, Printer, "A Test Job");
    EXPECT_FALSE(Printer.Printing());
    EXPECT_EQ(Count, 3);
    String Info = Output("pdfinfo '" + File + "'");
    EXPECT_NE(Info.find("Pages:           3"), String::npos) << Info;
    EXPECT_NE(Info.find("A Test Job"), String::npos) << Info;
    String Text = Output("pdftotext -layout '" + File + "' -");
    for (const char* Expected : {"Paragraph number 1 of", "Paragraph number 50 of", "Paragraph number 150 of", "The very end."})
        EXPECT_NE(Text.find(Expected), String::npos) << Expected;
    // Every paragraph once: nothing lost or printed twice at a page break.
    size_t Found = 0;
    for (size_t At = Text.find("Paragraph number"); At != String::npos; At = Text.find("Paragraph number", At + 1))
        ++Found;
    EXPECT_EQ(Found, 150u);
}

TEST_F(PrinterTest, APageRectangleGivesMorePagesAndPostScriptWorksToo)
{
    TPrinter Printer;
    String File = (Folder / "out.ps").string();
    Printer.SetFileName(File);
    Printer.SetFormat(TPrintFormat::PostScript);
    Printer.SetDpi(150);
    TRichDocument D = Pages(30);
    int Half = Printer.PageHeight() / 2;
    EXPECT_EQ(PrintRichDocument(D, Printer, "Half pages", TRect{150, 150, Printer.PageWidth() - 150, Half}), 2);
    std::ifstream In(File);
    String Head(4, '\0');
    In.read(Head.data(), 4);
    EXPECT_EQ(Head, "%!PS");
}

TEST_F(PrinterTest, CallsOutOfOrderAndUnwritableFilesRaise)
{
    TPrinter Printer;
    EXPECT_THROW(Printer.NewPage(), EPrinter);
    EXPECT_THROW(Printer.EndDoc(), EPrinter);
    Printer.SetFileName((Folder / "missing" / "folder" / "x.pdf").string());
    EXPECT_THROW(Printer.BeginDoc(), EPrinter);
    EXPECT_FALSE(Printer.Printing());
    Printer.SetFileName((Folder / "x.pdf").string());
    Printer.BeginDoc();
    EXPECT_THROW(Printer.BeginDoc(), EPrinter);
    EXPECT_THROW(Printer.SetDpi(600), EPrinter);
    Printer.Abort();
    EXPECT_FALSE(Printer.Printing());
    EXPECT_THROW(Printer.SetPaperSize(0, 100), EPrinter);
}

TEST_F(PrinterTest, ListsCupsPrintersWithoutFailingWhenThereIsNoServer)
{
    TPrinter Printer;
    std::vector<String> Names = Printer.Printers();
    for (const String& Name : Names)
        EXPECT_FALSE(Name.empty());
}

}  // namespace
