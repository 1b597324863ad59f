#include <gtest/gtest.h>

#include "RichEdit.Editor.h"

namespace {

// Counts the editor's notifications and answers its questions as told.
class EditorTest : public ::testing::Test {
public:
    void SetUp() override
    {
        RichClipboard()->Clear();
        Editor.SetViewSize(300, 200);
        Editor.SetOnChange(TRichNotifyEvent::Bind<&EditorTest::OnChange>(this));
        Editor.SetOnSelectionChange(TRichNotifyEvent::Bind<&EditorTest::OnSelection>(this));
    }
    void TearDown() override { RichClipboard()->Clear(); }

    void Load(const String& AText) { ASSERT_TRUE(Editor.StreamIn(AText, SF_TEXT | SF_USECODEPAGE | (CP_UTF8 << 16))); }
    void Type(const String& AText)
    {
        for (char32_t C : ToUtf32(AText))
            ASSERT_TRUE(Editor.TypeText(ToUtf8(std::u32string_view(&C, 1))));
    }

    void OnChange() { ++Changes; }
    void OnSelection() { ++SelectionChanges; }
    bool OnProtected(int32_t AStart, int32_t AEnd)
    {
        Asked.emplace_back(AStart, AEnd);
        return Allow;
    }
    void OnLink(TLinkMouse AMouse, const TLinkRange& ALink) { Links.emplace_back(AMouse, ALink.Url); }
    bool OnSaveClipboard(int32_t AObjects, int32_t AChars)
    {
        SavedCounts = {AObjects, AChars};
        return KeepClipboard;
    }
    void OnResize(const TRect& ARect) { Heights.push_back(ARect.Bottom); }

    TRichEditor Editor;
    int Changes = 0;
    int SelectionChanges = 0;
    bool Allow = false;
    bool KeepClipboard = true;
    std::pair<int32_t, int32_t> SavedCounts{-1, -1};
    std::vector<std::pair<int32_t, int32_t>> Asked;
    std::vector<std::pair<TLinkMouse, String>> Links;
    std::vector<int32_t> Heights;
};

TEST_F(EditorTest, TypingIsUndoneAsOneStepAndRedone)
{
    Type("hello");
    Editor.MoveCaret(TCaretMove::Left, false);
    Type("X");
    EXPECT_EQ(Editor.Text(), "hellXo");
    ASSERT_TRUE(Editor.Undo());
    EXPECT_EQ(Editor.Text(), "hello");
    ASSERT_TRUE(Editor.Undo());
    EXPECT_EQ(Editor.Text(), "");
    EXPECT_FALSE(Editor.CanUndo());
    ASSERT_TRUE(Editor.Redo());
    ASSERT_TRUE(Editor.Redo());
    EXPECT_EQ(Editor.Text(), "hellXo");
    EXPECT_FALSE(Editor.Redo());
}

TEST_F(EditorTest, TheUndoLimitKeepsOnlyTheLastSteps)
{
    struct TCase { int Limit; int Steps; int Undoable; };
    for (TCase Case : {TCase{100, 5, 5}, TCase{3, 5, 3}, TCase{1, 4, 1}, TCase{0, 3, 0}}) {
        TRichEditor E;
        EXPECT_EQ(E.UndoLimit(), DefaultUndoLimit);
        E.SetUndoLimit(Case.Limit);
        for (int I = 0; I < Case.Steps; ++I) {
            E.TypeText("a");
            E.StopGroupTyping();
        }
        int Undone = 0;
        while (E.Undo())
            ++Undone;
        EXPECT_EQ(Undone, Case.Undoable) << "limit " << Case.Limit;
        EXPECT_EQ(int(E.Text().size()), Case.Steps - Case.Undoable);
    }
}

TEST_F(EditorTest, UndoRestoresFormattingAndParagraphs)
{
    ASSERT_TRUE(Editor.StreamIn(R"({\rtf1\pard\qc {\b one}\par\pard two})", SF_RTF));
    Editor.SetSelection(2, 5);
    ASSERT_TRUE(Editor.ReplaceSelection("X"));
    EXPECT_EQ(Editor.Text(), "onXwo");
    TCharFormat Italic;
    Italic.Effects = CFE_ITALIC;
    Editor.SetSelection(0, 5);
    ASSERT_TRUE(Editor.SetCharFormat(SCF_SELECTION, Italic, CFM_ITALIC));
    ASSERT_TRUE(Editor.Undo());
    ASSERT_TRUE(Editor.Undo());
    EXPECT_EQ(Editor.Text(), "one\rtwo");
    EXPECT_EQ(Editor.Document().Paragraph(0).Format.Alignment, PFA_CENTER);
    EXPECT_EQ(Editor.Document().Paragraph(1).Format.Alignment, PFA_LEFT);
    EXPECT_TRUE(Editor.Document().CharFormatAt(1).Has(CFE_BOLD));
    EXPECT_FALSE(Editor.Document().CharFormatAt(1).Has(CFE_ITALIC));
}

TEST_F(EditorTest, ProtectedTextIsChangedOnlyWhenTheHandlerAllows)
{
    Load("open locked open");
    TCharFormat Locked;
    Locked.Effects = CFE_PROTECTED;
    Editor.SetSelection(5, 11);
    ASSERT_TRUE(Editor.SetCharFormat(SCF_SELECTION, Locked, CFM_PROTECTED));

    struct TCase { const char* Name; int32_t Start, End; bool Protected; };
    const TCase Cases[] = {
        {"Inside", 7, 8, true}, {"Overlapping", 3, 6, true}, {"CaretInside", 8, 8, true},
        {"CaretAtTheEdge", 5, 5, false}, {"Outside", 0, 4, false},
    };
    for (const TCase& Case : Cases) {
        Asked.clear();
        Editor.SetOnProtected(nullptr);
        Editor.SetSelection(Case.Start, Case.End);
        EXPECT_EQ(Editor.TypeText("z"), !Case.Protected) << Case.Name << ": without a handler protected text is kept";
        if (!Case.Protected) {
            Editor.Undo();
            continue;
        }
        Editor.SetOnProtected(TRichProtectedEvent::Bind<&EditorTest::OnProtected>(this));
        Allow = false;
        EXPECT_FALSE(Editor.ReplaceSelection("z")) << Case.Name;
        EXPECT_EQ(Editor.Text(), "open locked open") << Case.Name;
        ASSERT_EQ(Asked.size(), 1u) << Case.Name;
        EXPECT_EQ(Asked[0], std::make_pair(Case.Start, Case.End));
        Allow = true;
        EXPECT_TRUE(Editor.TypeText("z")) << Case.Name;
        Editor.Undo();
        EXPECT_EQ(Editor.Text(), "open locked open");
    }
    // Formatting protected text asks too; switching the protection itself does not.
    Editor.SetOnProtected(TRichProtectedEvent::Bind<&EditorTest::OnProtected>(this));
    Allow = false;
    Asked.clear();
    Editor.SetSelection(5, 11);
    TCharFormat Bold;
    Bold.Effects = CFE_BOLD;
    EXPECT_FALSE(Editor.SetCharFormat(SCF_SELECTION, Bold, CFM_BOLD));
    EXPECT_EQ(Asked.size(), 1u);
    EXPECT_TRUE(Editor.SetCharFormat(SCF_SELECTION, TCharFormat{}, CFM_PROTECTED));
    EXPECT_TRUE(Editor.TypeText("free"));
}

TEST_F(EditorTest, TheMaximumLengthCutsWhatTheUserAddsButNotWhatIsLoaded)
{
    Editor.SetMaxLength(5);
    Type("abc");
    EXPECT_TRUE(Editor.TypeText("defg"));
    EXPECT_EQ(Editor.Text(), "abcde");
    EXPECT_FALSE(Editor.TypeText("x"));
    Editor.SetSelection(0, 2);
    EXPECT_TRUE(Editor.TypeText("1234"));
    EXPECT_EQ(Editor.Text(), "12cde");
    Load("a text longer than five");
    EXPECT_EQ(Editor.Text(), "a text longer than five");
    Editor.SetMaxLength(0);
    EXPECT_EQ(Editor.MaxLength(), 0xFFFFFF);
}

TEST_F(EditorTest, ReadOnlyStopsTheUserButNotTheProgram)
{
    Load("text");
    Editor.SetReadOnly(true);
    Editor.SetSelection(0, 2);
    EXPECT_FALSE(Editor.TypeText("x"));
    EXPECT_FALSE(Editor.DeleteBackward());
    EXPECT_FALSE(Editor.Cut());
    EXPECT_TRUE(Editor.Copy());
    EXPECT_FALSE(Editor.Paste());
    EXPECT_EQ(Editor.Text(), "text");
    EXPECT_TRUE(Editor.ReplaceSelection("con"));
    EXPECT_EQ(Editor.Text(), "conxt");
}

TEST_F(EditorTest, NotifiesChangesSelectionsAndSizeRequests)
{
    Editor.SetOnRequestResize(TRichResizeEvent::Bind<&EditorTest::OnResize>(this));
    Type("ab");
    EXPECT_EQ(Changes, 2);
    EXPECT_EQ(SelectionChanges, 2);
    ASSERT_EQ(Heights.size(), 1u) << "one line: the height changed once";
    Editor.TypeText("\r");
    EXPECT_EQ(Heights.size(), 2u);
    EXPECT_GT(Heights[1], Heights[0]);
    int Before = SelectionChanges;
    Editor.SetSelection(1, 1);
    Editor.SetSelection(1, 1);
    EXPECT_EQ(SelectionChanges, Before + 1) << "an unchanged selection is not announced";
    EXPECT_TRUE(Editor.Modified());
}

TEST_F(EditorTest, DetectsAddressesWhileTypingAndReportsLinkClicks)
{
    Editor.SetAutoUrlDetect(true);
    Editor.SetOnLink(TRichLinkEvent::Bind<&EditorTest::OnLink>(this));
    Type("see www.example.org ok");
    TLinkRange Found;
    ASSERT_NE(Editor.Layout().LinkAt(6, Found), nullptr);
    EXPECT_EQ(Found.Url, "www.example.org");
    double X = 0, Top = 0, Height = 0;
    Editor.Layout().CaretPosition(6, X, Top, Height);
    Editor.MouseDown(int(X) + 1, int(Top + Height / 2), false, 1);
    Editor.MouseUp(int(X) + 1, int(Top + Height / 2));
    ASSERT_EQ(Links.size(), 2u);
    EXPECT_EQ(Links[0].first, TLinkMouse::Down);
    EXPECT_EQ(Links[1].first, TLinkMouse::Up);
    EXPECT_EQ(Links[1].second, "www.example.org");
    Editor.SetSelection(4, 8);
    Editor.TypeText("no ");
    EXPECT_EQ(Editor.Layout().LinkAt(8, Found), nullptr) << "broken address: " << Editor.Text();
}

TEST_F(EditorTest, CopiesEveryFormatAndPastesRichTextWithItsFormatting)
{
    ASSERT_TRUE(Editor.StreamIn(R"({\rtf1 plain {\b bold}})", SF_RTF));
    Editor.SetSelection(6, 10);
    ASSERT_TRUE(Editor.Copy());
    String Data;
    for (const char* Format : {CF_RTF, CF_RTFNOOBJS, CF_UNICODETEXT_NAME})
        EXPECT_TRUE(RichClipboard()->GetFormat(Format, Data)) << Format;
    EXPECT_EQ(Data, "bold");
    Editor.SetSelection(0, 0);
    ASSERT_TRUE(Editor.Paste());
    EXPECT_EQ(Editor.Text(), "boldplain bold");
    EXPECT_TRUE(Editor.Document().CharFormatAt(1).Has(CFE_BOLD));

    RichClipboard()->SetFormats({{CF_UNICODETEXT_NAME, "one\r\ntwo"}});
    Editor.SetSelection(4, 9);
    ASSERT_TRUE(Editor.Paste());
    EXPECT_EQ(Editor.Text(), "boldone\rtwo bold");
    EXPECT_FALSE(Editor.Document().CharFormatAt(6).Has(CFE_BOLD)) << "plain text takes the format where it goes";

    Editor.SetPlainText(true);
    RichClipboard()->SetFormats({{CF_RTF, R"({\rtf1 {\b x}})"}});
    EXPECT_FALSE(Editor.CanPaste()) << "a plain-text editor takes no rich text";
}

TEST_F(EditorTest, PastesABitmapAsAPictureAndCutsWithUndo)
{
    String Dib(40, '\0');
    Dib[0] = 40;
    Dib[4] = 2;    // 2 x 3 pixels
    Dib[8] = 3;
    RichClipboard()->SetFormats({{CF_DIB_NAME, Dib}});
    ASSERT_TRUE(Editor.Paste());
    EXPECT_EQ(Editor.Document().Text(0, -1), U"\uFFFC");
    EXPECT_NE(Editor.StreamOut(SF_RTF).find("\\pict\\dibitmap0\\picw2\\pich3"), String::npos);

    Load("cut me");
    Editor.SetSelection(0, 4);
    ASSERT_TRUE(Editor.Cut());
    EXPECT_EQ(Editor.Text(), "me");
    ASSERT_TRUE(Editor.Undo());
    EXPECT_EQ(Editor.Text(), "cut me");
}

TEST_F(EditorTest, AsksWhetherTheClipboardKeepsWhatItCopied)
{
    Load("one two");
    Editor.SetOnSaveClipboard(TRichSaveClipboardEvent::Bind<&EditorTest::OnSaveClipboard>(this));
    Editor.SetSelection(0, 3);
    Editor.Copy();
    KeepClipboard = false;
    Editor.ReleaseClipboard();
    EXPECT_EQ(SavedCounts, std::make_pair(0, 3));
    EXPECT_FALSE(RichClipboard()->HasFormat(CF_UNICODETEXT_NAME));
}

TEST_F(EditorTest, FormatsOfTheSelectionTheWordAndTheDefault)
{
    ASSERT_TRUE(Editor.StreamIn(R"({\rtf1 {\b\i bold}{\i  ital}})", SF_RTF));
    uint32_t Mask = 0;
    Editor.SetSelection(0, 9);
    TCharFormat F = Editor.GetCharFormat(SCF_SELECTION, Mask);
    EXPECT_FALSE(Mask & CFM_BOLD) << "bold only in part";
    EXPECT_TRUE(Mask & CFM_ITALIC);
    EXPECT_TRUE(F.Has(CFE_ITALIC));

    Editor.SetSelection(6, 6);   // inside "ital"
    TCharFormat Size;
    Size.Size = 400;
    ASSERT_TRUE(Editor.SetCharFormat(SCF_SELECTION | SCF_WORD, Size, CFM_SIZE));
    EXPECT_EQ(Editor.Document().CharFormatAt(6).Size, 400);
    EXPECT_EQ(Editor.Document().CharFormatAt(9).Size, 400);
    EXPECT_NE(Editor.Document().CharFormatAt(2).Size, 400);

    // On an empty selection the format waits for the text typed there.
    Editor.SetSelection(9, 9);
    TCharFormat Under;
    Under.Effects = CFE_UNDERLINE;
    ASSERT_TRUE(Editor.SetCharFormat(SCF_SELECTION, Under, CFM_UNDERLINE));
    EXPECT_TRUE(Editor.GetCharFormat(SCF_SELECTION, Mask).Has(CFE_UNDERLINE));
    Editor.TypeText("u");
    EXPECT_TRUE(Editor.Document().CharFormatAt(10).Has(CFE_UNDERLINE));

    TCharFormat Face;
    Face.Face = "DejaVu Serif";
    ASSERT_TRUE(Editor.SetCharFormat(SCF_DEFAULT, Face, CFM_FACE));
    EXPECT_EQ(Editor.GetCharFormat(SCF_DEFAULT, Mask).Face, "DejaVu Serif");
}

TEST_F(EditorTest, ParagraphFormatsApplyToEveryParagraphOfTheSelection)
{
    Load("one\rtwo\rthree");
    Editor.SetSelection(1, 5);
    TParaFormat Para;
    Para.Numbering = 1;
    ASSERT_TRUE(Editor.SetParaFormat(Para, PFM_NUMBERING));
    uint32_t Mask = 0;
    EXPECT_EQ(Editor.GetParaFormat(Mask).Numbering, 1);
    EXPECT_TRUE(Mask & PFM_NUMBERING);
    EXPECT_EQ(Editor.Document().Paragraph(2).Format.Numbering, 0);
    Editor.SetSelection(0, -1);
    Editor.GetParaFormat(Mask);
    EXPECT_FALSE(Mask & PFM_NUMBERING);
    ASSERT_TRUE(Editor.Undo());
    EXPECT_EQ(Editor.Document().Paragraph(0).Format.Numbering, 0);
}

TEST_F(EditorTest, MovesTheCaretByCharactersWordsLinesAndTheDocument)
{
    Load("first words here\rsecond line");
    Editor.SetSelection(0, 0);
    struct TStep { TCaretMove Move; bool Extend; int32_t Caret; int32_t Anchor; };
    const TStep Steps[] = {
        {TCaretMove::WordRight, false, 6, 6},  {TCaretMove::WordRight, true, 12, 6}, {TCaretMove::Left, false, 6, 6},
        {TCaretMove::LineEnd, false, 16, 16},  {TCaretMove::Right, false, 17, 17},   {TCaretMove::WordLeft, false, 12, 12},
        // "second line" is narrower than "first words ", so the caret below 12 is at its end.
        {TCaretMove::Down, false, 28, 28},     {TCaretMove::Up, false, 12, 12},      {TCaretMove::LineStart, true, 0, 12},
        {TCaretMove::DocumentEnd, false, 28, 28}, {TCaretMove::PageUp, false, 0, 0},
    };
    for (const TStep& Step : Steps) {
        Editor.MoveCaret(Step.Move, Step.Extend);
        size_t Index = size_t(&Step - Steps);
        EXPECT_EQ(Editor.Caret(), Step.Caret) << "step " << Index;
        EXPECT_EQ(Editor.SelStart() == Step.Caret ? Editor.SelStart() + Editor.SelLength() : Editor.SelStart(),
                  Step.Anchor) << "step " << Index;
    }
}

TEST_F(EditorTest, DoubleClickSelectsAWordAndDraggingExtendsByWords)
{
    Load("alpha beta gamma");
    double X = 0, Top = 0, Height = 0;
    Editor.Layout().CaretPosition(7, X, Top, Height);
    int Y = int(Top + Height / 2);
    Editor.MouseDown(int(X), Y, false, 2);
    EXPECT_EQ(Editor.SelText(), "beta ");
    double X2 = 0;
    Editor.Layout().CaretPosition(13, X2, Top, Height);
    Editor.MouseMove(int(X2), Y, true);
    Editor.MouseUp(int(X2), Y);
    EXPECT_EQ(Editor.SelText(), "beta gamma");

    Editor.Layout().CaretPosition(1, X, Top, Height);
    Editor.MouseDown(int(X), Y, false, 1);
    Editor.MouseMove(int(X2), Y, true);
    EXPECT_EQ(Editor.SelText(), "lpha beta gamma") << "the drag left its word, so it takes whole words";
}

TEST_F(EditorTest, StreamsTheSelectionInAndOut)
{
    Load("keep this keep");
    Editor.SetSelection(5, 9);
    EXPECT_EQ(Editor.StreamOut(SF_TEXT | SFF_SELECTION), "this");
    ASSERT_TRUE(Editor.StreamIn(R"({\rtf1 {\b that}})", SF_RTF | SFF_SELECTION));
    EXPECT_EQ(Editor.Text(), "keep that keep");
    ASSERT_TRUE(Editor.Undo());
    EXPECT_EQ(Editor.Text(), "keep this keep");
    EXPECT_FALSE(Editor.StreamIn("not rtf", SF_RTF));
    EXPECT_EQ(Editor.Text(), "keep this keep");
}

TEST_F(EditorTest, LinesFollowTheViewWidth)
{
    Load("one two three four five six seven eight nine ten eleven twelve");
    Editor.SetViewSize(2000, 100);
    EXPECT_EQ(Editor.LineCount(), 1);
    Editor.SetViewSize(80, 100);
    EXPECT_GT(Editor.LineCount(), 3);
    Editor.SetWordWrap(false);
    EXPECT_EQ(Editor.LineCount(), 1);
}

}  // namespace
