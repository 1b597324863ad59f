// Vcl.ComCtrls.h: progress bars, up-down buttons, track bars, page controls and tab sheets.
// Track bars announce their custom drawing as CN_NOTIFY with NM_CUSTOMDRAW (Vcl.CommCtrl).
// UI thread only.
#pragma once

#include <vector>

#include "Vcl.CommCtrl.h"
#include "Vcl.StdCtrls.h"

X_ENUM(TProgressBarOrientation, pbHorizontal, pbVertical);
X_ENUM(TUDOrientation, udHorizontal, udVertical);
X_ENUM(TUDBtnType, btNext, btPrev);
X_ENUM(TTrackBarOrientation, trHorizontal, trVertical);
X_ENUM(TTickMark, tmBottomRight, tmTopLeft, tmBoth);
X_ENUM(TTickStyle, tsNone, tsAuto, tsManual);

using TUDClickEvent = TMethod<void(TObject* ASender, TUDBtnType AButton)>;
using TUDChangingEvent = TMethod<void(TObject* ASender, bool& AAllowChange)>;
using TTabChangingEvent = TMethod<void(TObject* ASender, bool& AAllowChange)>;

// ---- Progress bar ------------------------------------------------------------------------

class TProgressBar : public TCustomControl {
    X_CLASS(TProgressBar, TCustomControl)
public:
    int Min() const { return FMin; }
    void SetMin(int AValue);
    int Max() const { return FMax; }
    void SetMax(int AValue);
    int Position() const { return FPosition; }
    // Kept within Min..Max.
    void SetPosition(int AValue);
    int Step() const { return FStep; }
    void SetStep(int AValue) { FStep = AValue; }
    // Past Max the bar starts again from Min, as the system's bar does.
    void StepIt();
    void StepBy(int ADelta);
    TProgressBarOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TProgressBarOrientation AValue);
    bool Smooth() const { return FSmooth; }
    void SetSmooth(bool AValue);

protected:
    TProgressBar() = default;
    void Construct(TComponent* AOwner) override;
    void Paint() override;

private:
    int FMin = 0;
    int FMax = 100;
    int FPosition = 0;
    int FStep = 10;
    TProgressBarOrientation FOrientation = pbHorizontal;
    bool FSmooth = false;
};

// ---- Up-down -----------------------------------------------------------------------------

// Two arrow buttons that step a number, shown in the associated control's text.
class TUpDown : public TCustomControl {
    X_CLASS(TUpDown, TCustomControl)
public:
    // Its text shows the position; with ArrowKeys, Up and Down in it step the position.
    TWinControl* Associate() const { return FAssociate; }
    void SetAssociate(TWinControl* AValue);
    int Min() const { return FMin; }
    void SetMin(int AValue);
    int Max() const { return FMax; }
    void SetMax(int AValue);
    int Position() const { return FPosition; }
    void SetPosition(int AValue);
    int Increment() const { return FIncrement; }
    void SetIncrement(int AValue) { FIncrement = AValue; }
    // Past one end the position goes round to the other.
    bool Wrap() const { return FWrap; }
    void SetWrap(bool AValue) { FWrap = AValue; }
    bool ArrowKeys() const { return FArrowKeys; }
    void SetArrowKeys(bool AValue) { FArrowKeys = AValue; }
    // Groups of three digits in the associate's text.
    bool Thousands() const { return FThousands; }
    void SetThousands(bool AValue);
    TUDOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TUDOrientation AValue);

    // A step by the user: OnChanging may refuse it, OnClick follows it.
    void Step(TUDBtnType AButton);

    TUDClickEvent OnClick() const { return FOnClick; }
    void SetOnClick(TUDClickEvent AValue) { FOnClick = AValue; }
    TUDChangingEvent OnChanging() const { return FOnChanging; }
    void SetOnChanging(TUDChangingEvent AValue) { FOnChanging = AValue; }

protected:
    TUpDown() = default;
    ~TUpDown() override;
    void Construct(TComponent* AOwner) override;
    void Notification(TComponent* AComponent, TOperation AOperation) override;
    void Paint() override;
    void MouseDown(TMouseButton AButton, TShiftState AShift, int AX, int AY) override;
    void MouseUp(TMouseButton AButton, TShiftState AShift, int AX, int AY) override;
    void KeyDown(uint16_t& AKey, TShiftState AShift) override;
    void WndProc(TMessage& AMessage) override;

private:
    void AssociateProc(TMessage& AMessage);
    void UpdateAssociate();
    void Unhook();
    TWinControl* FAssociate = nullptr;
    TWndMethod FAssociateProc;
    int FMin = 0;
    int FMax = 100;
    int FPosition = 0;
    int FIncrement = 1;
    bool FWrap = false;
    bool FArrowKeys = true;
    bool FThousands = true;
    TUDOrientation FOrientation = udVertical;
    int FPressed = -1;   // the button held: btNext, btPrev, or -1
    TUDClickEvent FOnClick;
    TUDChangingEvent FOnChanging;
};

// ---- Track bar ---------------------------------------------------------------------------

class TTrackBar : public TCustomControl {
    X_CLASS(TTrackBar, TCustomControl)
public:
    int Min() const { return FMin; }
    void SetMin(int AValue);
    int Max() const { return FMax; }
    void SetMax(int AValue);
    int Position() const { return FPosition; }
    // Kept within Min..Max; a change fires OnChange.
    void SetPosition(int AValue);
    TTrackBarOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TTrackBarOrientation AValue);
    int Frequency() const { return FFrequency; }
    void SetFrequency(int AValue);
    TTickMark TickMarks() const { return FTickMarks; }
    void SetTickMarks(TTickMark AValue);
    TTickStyle TickStyle() const { return FTickStyle; }
    void SetTickStyle(TTickStyle AValue);
    int LineSize() const { return FLineSize; }
    void SetLineSize(int AValue) { FLineSize = AValue; }
    int PageSize() const { return FPageSize; }
    void SetPageSize(int AValue) { FPageSize = AValue; }
    // The thumb's and the channel's place (also answered to TBM_GETTHUMBRECT and
    // TBM_GETCHANNELRECT; a vertical bar's channel rectangle comes with its axes swapped, as the
    // system's does).
    TRect ThumbRect() const;
    TRect ChannelRect() const;

    TNotifyEvent OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent AValue) { FOnChange = AValue; }

protected:
    TTrackBar() = default;
    void Construct(TComponent* AOwner) override;
    void WndProc(TMessage& AMessage) override;
    void Paint() override;
    void KeyDown(uint16_t& AKey, TShiftState AShift) override;
    void MouseDown(TMouseButton AButton, TShiftState AShift, int AX, int AY) override;
    void MouseMove(TShiftState AShift, int AX, int AY) override;
    void MouseUp(TMouseButton AButton, TShiftState AShift, int AX, int AY) override;
    bool DoMouseWheel(TShiftState AShift, int AWheelDelta, TPoint AMousePos) override;
    virtual void Changed();

private:
    bool Vertical() const { return FOrientation == trVertical; }
    TSize ThumbSize() const;
    // The channel along the bar, vertical bars' unswapped.
    TRect Channel() const;
    int PositionAt(int AAlong) const;
    int OffsetOf(int APosition) const;
    // Asks the custom-draw handlers about a stage; answers their CDRF_ flags.
    LRESULT CustomDraw(uint32_t AStage, uintptr_t AItem, const TRect& ARect);
    void PaintTics();

    int FMin = 0;
    int FMax = 10;
    int FPosition = 0;
    TTrackBarOrientation FOrientation = trHorizontal;
    int FFrequency = 1;
    TTickMark FTickMarks = tmBottomRight;
    TTickStyle FTickStyle = tsAuto;
    int FLineSize = 1;
    int FPageSize = 2;
    bool FDragging = false;
    int FDragOffset = 0;
    bool FHot = false;
    TNotifyEvent FOnChange;
};

// ---- Page control ------------------------------------------------------------------------

class TPageControl;

// One page of a page control; it fills the control's display area while it is the active one.
class TTabSheet : public TCustomControl {
    X_CLASS(TTabSheet, TCustomControl)
public:
    TPageControl* PageControl() const { return FPageControl; }
    // Moves the sheet to another page control (nullptr: none); it arrives hidden unless it is
    // that control's only page.
    void SetPageControl(TPageControl* AValue);
    int PageIndex() const;
    void SetPageIndex(int AValue);
    bool TabVisible() const { return FTabVisible; }
    void SetTabVisible(bool AValue);
    // The index among the visible tabs; -1 when its tab is hidden.
    int TabIndex() const;

protected:
    TTabSheet() = default;
    ~TTabSheet() override;
    void Construct(TComponent* AOwner) override;
    void WndProc(TMessage& AMessage) override;
    void Paint() override;

private:
    friend class TPageControl;
    TPageControl* FPageControl = nullptr;
    bool FTabVisible = true;
};

class TPageControl : public TCustomControl {
    X_CLASS(TPageControl, TCustomControl)
public:
    int PageCount() const { return int(FPages.size()); }
    TTabSheet* Pages(int AIndex) const;
    TTabSheet* ActivePage() const { return FActivePage; }
    // Shows the page (nullptr: none) without asking OnChanging, and fires nothing.
    void SetActivePage(TTabSheet* AValue);
    int ActivePageIndex() const { return FActivePage != nullptr ? FActivePage->PageIndex() : -1; }
    void SetActivePageIndex(int AValue);
    // The next (or previous) page with a visible tab after ACurrent, wrapping round.
    TTabSheet* FindNextPage(TTabSheet* ACurrent, bool AGoForward, bool ACheckTabVisible) const;
    // A change by the user: OnChanging may refuse it, OnChange follows it.
    void SelectNextPage(bool AGoForward, bool ACheckTabVisible = true);
    // The tab of the visible-tab index under the point; -1 for none.
    int IndexOfTabAt(int AX, int AY) const;
    TRect TabRect(int ATabIndex) const;
    // Where the pages go.
    TRect DisplayRect() const;
    int TabHeight() const { return FTabHeight; }
    void SetTabHeight(int AValue);

    TTabChangingEvent OnChanging() const { return FOnChanging; }
    void SetOnChanging(TTabChangingEvent AValue) { FOnChanging = AValue; }
    TNotifyEvent OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent AValue) { FOnChange = AValue; }

protected:
    TPageControl() = default;
    ~TPageControl() override;
    void Construct(TComponent* AOwner) override;
    void WndProc(TMessage& AMessage) override;
    void Paint() override;
    void AdjustClientRect(TRect& ARect) const override;
    void KeyDown(uint16_t& AKey, TShiftState AShift) override;
    void MouseDown(TMouseButton AButton, TShiftState AShift, int AX, int AY) override;
    virtual bool CanChange();
    virtual void Change();

private:
    friend class TTabSheet;
    void InsertPage(TTabSheet* APage);
    void RemovePage(TTabSheet* APage);
    // A user's change to APage: answers whether it happened.
    bool ChangeTo(TTabSheet* APage);
    std::vector<TTabSheet*> VisibleTabs() const;

    std::vector<TTabSheet*> FPages;
    TTabSheet* FActivePage = nullptr;
    int FTabHeight = 0;   // 0: from the font
    TTabChangingEvent FOnChanging;
    TNotifyEvent FOnChange;
};

// ---- List view ---------------------------------------------------------------------------

class TCustomImageList;
class TListView;
class TListItems;

X_ENUM(TViewStyle, vsIcon, vsSmallIcon, vsList, vsReport);

inline constexpr UINT LVM_FIRST = 0x1000;
// lParam: the horizontal spacing in the low word, the vertical in the high word (0xFFFF keeps
// that one); answers the spacing before.
inline constexpr UINT LVM_SETICONSPACING = LVM_FIRST + 53;

class TListColumn : public TObject {
    X_CLASS(TListColumn, TObject)
public:
    const String& Caption() const { return FCaption; }
    void SetCaption(const String& AValue);
    int Width() const { return FWidth; }
    void SetWidth(int AValue);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment AValue);
    // An image of the list view's small images beside the caption (sort arrows); -1: none.
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int AValue);
    int Index() const;
    intptr_t Tag() const { return FTag; }
    void SetTag(intptr_t AValue) { FTag = AValue; }

protected:
    TListColumn() = default;
    void Construct(TListView* AOwner) { FOwner = AOwner; }

private:
    TListView* FOwner = nullptr;
    String FCaption;
    int FWidth = 50;
    TAlignment FAlignment = taLeftJustify;
    int FImageIndex = -1;
    intptr_t FTag = 0;
};

class TListItem : public TObject {
    X_CLASS(TListItem, TObject)
public:
    const String& Caption() const { return FCaption; }
    void SetCaption(const String& AValue);
    // The texts of the report view's further columns.
    TStrings* SubItems() const { return FSubItems; }
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int AValue);
    void* Data() const { return FData; }
    void SetData(void* AValue) { FData = AValue; }
    // Unique in its list view for the item's life; never reused.
    int ID() const { return FID; }
    int GroupID() const { return FGroupID; }
    void SetGroupID(int AValue);
    bool Checked() const { return FChecked; }
    void SetChecked(bool AValue);
    bool Selected() const;
    void SetSelected(bool AValue);
    int Index() const;
    TListView* ListView() const { return FOwner; }
    void MakeVisible();

protected:
    TListItem() = default;
    ~TListItem() override;
    void Construct(TListView* AOwner, int AID);

private:
    void SubItemsChanged(TObject*);
    TListView* FOwner = nullptr;
    String FCaption;
    TStringList* FSubItems = nullptr;
    int FImageIndex = -1;
    void* FData = nullptr;
    int FID = 0;
    int FGroupID = -1;
    bool FChecked = false;
};

class TListItems : public TObject {
    X_CLASS(TListItems, TObject)
public:
    int Count() const { return int(FItems.size()); }
    TListItem* Item(int AIndex) const;
    TListItem* operator[](int AIndex) const { return Item(AIndex); }
    TListItem* Add();
    TListItem* Insert(int AIndex);
    void Delete(int AIndex);
    void Clear();
    int IndexOf(const TListItem* AItem) const;
    // nullptr when no item has that ID.
    TListItem* FindItemByID(int AID) const;
    // Changes inside an update are shown once, at the outermost EndUpdate.
    void BeginUpdate();
    void EndUpdate();

protected:
    TListItems() = default;
    ~TListItems() override;
    void Construct(TListView* AOwner) { FOwner = AOwner; }

private:
    friend class TListView;
    friend class TListItem;
    TListView* FOwner = nullptr;
    std::vector<TListItem*> FItems;
    int FNextID = 0;
};

struct TListGroup {
    int GroupID = 0;
    String Header;
    bool Collapsed = false;
};

using TLVCompare = int (*)(LPARAM AItem1, LPARAM AItem2, LPARAM AParamSort);
using TLVColumnClickEvent = TMethod<void(TObject* ASender, TListColumn* AColumn)>;
using TLVCompareEvent = TMethod<void(TObject* ASender, TListItem* AItem1, TListItem* AItem2, int AData, int& ACompare)>;
using TLVSelectItemEvent = TMethod<void(TObject* ASender, TListItem* AItem, bool ASelected)>;
using TLVCheckedEvent = TMethod<void(TObject* ASender, TListItem* AItem)>;

// Items in a report (columns under a header) or as icons; one item selected at a time.
class TListView : public TCustomControl {
    X_CLASS(TListView, TCustomControl)
public:
    TListItems* Items() const { return FItems; }
    int ColumnCount() const { return int(FColumns.size()); }
    TListColumn* Column(int AIndex) const;
    TListColumn* AddColumn();
    void ClearColumns();
    TViewStyle ViewStyle() const { return FViewStyle; }
    void SetViewStyle(TViewStyle AValue);
    bool Checkboxes() const { return FCheckboxes; }
    void SetCheckboxes(bool AValue);
    // Items show under their group's header, groups in the order they were added.
    bool GroupView() const { return FGroupView; }
    void SetGroupView(bool AValue);
    void AddGroup(int AGroupID, const String& AHeader);
    void ClearGroups();
    int GroupCount() const { return int(FGroups.size()); }
    TCustomImageList* LargeImages() const { return FLargeImages; }
    void SetLargeImages(TCustomImageList* AValue);
    TCustomImageList* SmallImages() const { return FSmallImages; }
    void SetSmallImages(TCustomImageList* AValue);
    // The icon view's cell size.
    TSize IconSpacing() const { return FIconSpacing; }
    void SetIconSpacing(TSize AValue);

    TListItem* Selected() const { return FSelected; }
    void SetSelected(TListItem* AValue);
    int ItemIndex() const { return FSelected != nullptr ? FSelected->Index() : -1; }
    void SetItemIndex(int AValue);
    // The first shown item row's index among the rows.
    int TopIndex() const { return FScroll.Position; }
    void SetTopIndex(int AValue);
    int VisibleRowCount() const;
    int RowHeight() const;
    int HeaderHeight() const;

    // Sorts by ACompare (called with the two items as TListItem pointers); stable.
    bool CustomSort(TLVCompare ACompare, LPARAM AParam);
    // Sorts by OnCompare, or by caption.
    bool AlphaSort();
    TListItem* GetItemAt(int AX, int AY) const;
    // The column whose header is under (AX, AY); -1 for none.
    int ColumnAt(int AX, int AY) const;
    TRect ItemRect(const TListItem* AItem) const;
    // The check box's place in an item's rectangle.
    TRect CheckRect(const TRect& AItemRect) const;

    TLVColumnClickEvent OnColumnClick() const { return FOnColumnClick; }
    void SetOnColumnClick(TLVColumnClickEvent AValue) { FOnColumnClick = AValue; }
    TLVCompareEvent OnCompare() const { return FOnCompare; }
    void SetOnCompare(TLVCompareEvent AValue) { FOnCompare = AValue; }
    TLVSelectItemEvent OnSelectItem() const { return FOnSelectItem; }
    void SetOnSelectItem(TLVSelectItemEvent AValue) { FOnSelectItem = AValue; }
    TLVCheckedEvent OnItemChecked() const { return FOnItemChecked; }
    void SetOnItemChecked(TLVCheckedEvent AValue) { FOnItemChecked = AValue; }

protected:
    TListView() = default;
    ~TListView() override;
    void Construct(TComponent* AOwner) override;
    void WndProc(TMessage& AMessage) override;
    void Paint() override;
    void KeyDown(uint16_t& AKey, TShiftState AShift) override;
    void KeyPress(char32_t& AKey) override;
    void MouseDown(TMouseButton AButton, TShiftState AShift, int AX, int AY) override;
    void MouseMove(TShiftState AShift, int AX, int AY) override;
    void MouseUp(TMouseButton AButton, TShiftState AShift, int AX, int AY) override;
    bool DoMouseWheel(TShiftState AShift, int AWheelDelta, TPoint AMousePos) override;
    void Resize() override;

private:
    friend class TListItem;
    friend class TListItems;
    friend class TListColumn;
    // A shown row: an item, or a group's header (Item nullptr).
    struct TRow {
        TListItem* Item = nullptr;
        const TListGroup* Group = nullptr;
    };
    void Changed();
    void ItemGone(TListItem* AItem);
    void BuildRows() const;
    int RowOf(const TListItem* AItem) const;
    TRect ListArea() const;
    int IconColumns() const;
    void UpdateScrollBar() const;
    void PaintReport(TCustomStyleServices* AStyle);
    void PaintIcons(TCustomStyleServices* AStyle);
    void PaintItemText(TCustomStyleServices* AStyle, TListItem* AItem, const TRect& ARect, bool ASelected);
    void SelectByUser(TListItem* AItem);
    void ToggleCheck(TListItem* AItem);

    TListItems* FItems = nullptr;
    std::vector<TListColumn*> FColumns;
    std::vector<TListGroup> FGroups;
    TViewStyle FViewStyle = vsIcon;
    bool FCheckboxes = false;
    bool FGroupView = false;
    TCustomImageList* FLargeImages = nullptr;
    TCustomImageList* FSmallImages = nullptr;
    TSize FIconSpacing{75, 70};
    TListItem* FSelected = nullptr;
    int FUpdateCount = 0;
    int FPressedColumn = -1;
    String FTyped;
    int64_t FTypedAt = 0;
    mutable bool FRowsValid = false;
    mutable std::vector<TRow> FRows;
    mutable TScrollBarPart FScroll;
    mutable bool FScrolling = false;
    TLVColumnClickEvent FOnColumnClick;
    TLVCompareEvent FOnCompare;
    TLVSelectItemEvent FOnSelectItem;
    TLVCheckedEvent FOnItemChecked;
};

// ---- Tree view ---------------------------------------------------------------------------

class TTreeView;
class TTreeNodes;

class TTreeNode : public TObject {
    X_CLASS(TTreeNode, TObject)
public:
    const String& Text() const { return FText; }
    void SetText(const String& AValue);
    void* Data() const { return FData; }
    void SetData(void* AValue) { FData = AValue; }
    // Images of the tree view's image list: the normal one, and the one while selected.
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int AValue);
    int SelectedIndex() const { return FSelectedIndex; }
    void SetSelectedIndex(int AValue);
    bool Checked() const { return FChecked; }
    void SetChecked(bool AValue);
    bool Expanded() const { return FExpanded; }
    void SetExpanded(bool AValue);
    void Expand(bool ARecurse);
    void Collapse(bool ARecurse);
    bool Selected() const;
    void SetSelected(bool AValue);

    TTreeNode* Parent() const { return FParent; }
    int Count() const { return int(FChildren.size()); }
    TTreeNode* Item(int AIndex) const;
    bool HasChildren() const { return !FChildren.empty(); }
    int Level() const;
    // The place among its siblings.
    int Index() const;
    // The place in the whole tree, parents before their children.
    int AbsoluteIndex() const;
    // The next node in that order; nullptr after the last.
    TTreeNode* GetNext() const;
    TTreeNode* GetFirstChild() const { return FChildren.empty() ? nullptr : FChildren.front(); }
    TTreeNode* GetNextSibling() const;
    TTreeNode* GetPrevSibling() const;
    // Frees the node with its children.
    void Delete();
    TTreeView* TreeView() const { return FOwner; }

protected:
    TTreeNode() = default;
    ~TTreeNode() override;
    void Construct(TTreeView* AOwner, TTreeNode* AParent) { FOwner = AOwner, FParent = AParent; }

private:
    friend class TTreeNodes;
    friend class TTreeView;
    TTreeView* FOwner = nullptr;
    TTreeNode* FParent = nullptr;
    std::vector<TTreeNode*> FChildren;
    String FText;
    void* FData = nullptr;
    int FImageIndex = -1;
    int FSelectedIndex = -1;
    bool FChecked = false;
    bool FExpanded = false;
};

class TTreeNodes : public TObject {
    X_CLASS(TTreeNodes, TObject)
public:
    // All nodes of the tree.
    int Count() const;
    // By absolute index.
    TTreeNode* Item(int AIndex) const;
    TTreeNode* GetFirstNode() const { return FRoots.empty() ? nullptr : FRoots.front(); }
    // A node after the last sibling of ASibling (a root for nullptr).
    TTreeNode* Add(TTreeNode* ASibling, const String& AText);
    TTreeNode* AddObject(TTreeNode* ASibling, const String& AText, void* AData);
    // A node after the last child of AParent (a root for nullptr).
    TTreeNode* AddChild(TTreeNode* AParent, const String& AText);
    TTreeNode* AddChildObject(TTreeNode* AParent, const String& AText, void* AData);
    void Delete(TTreeNode* ANode) { ANode->Delete(); }
    void Clear();
    void BeginUpdate();
    void EndUpdate();

protected:
    TTreeNodes() = default;
    ~TTreeNodes() override;
    void Construct(TTreeView* AOwner) { FOwner = AOwner; }

private:
    friend class TTreeNode;
    friend class TTreeView;
    std::vector<TTreeNode*>& SiblingsOf(TTreeNode* AParent) { return AParent != nullptr ? AParent->FChildren : FRoots; }
    TTreeView* FOwner = nullptr;
    std::vector<TTreeNode*> FRoots;
};

using TTVChangingEvent = TMethod<void(TObject* ASender, TTreeNode* ANode, bool& AAllowChange)>;
using TTVChangedEvent = TMethod<void(TObject* ASender, TTreeNode* ANode)>;
using TTVCompareEvent = TMethod<void(TObject* ASender, TTreeNode* ANode1, TTreeNode* ANode2, int AData, int& ACompare)>;

class TTreeView : public TCustomControl {
    X_CLASS(TTreeView, TCustomControl)
public:
    TTreeNodes* Items() const { return FItems; }
    TTreeNode* Selected() const { return FSelected; }
    // By the program: OnChanging is not asked, OnChange fires.
    void SetSelected(TTreeNode* AValue);
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* AValue);
    bool CheckBoxes() const { return FCheckBoxes; }
    void SetCheckBoxes(bool AValue);
    int Indent() const { return FIndent; }
    void SetIndent(int AValue);
    // The first node that shows, and the nodes that show (their parents expanded) in order.
    TTreeNode* TopItem() const;
    void SetTopItem(TTreeNode* AValue);
    std::vector<TTreeNode*> VisibleNodes() const;
    int RowHeight() const;
    TTreeNode* GetNodeAt(int AX, int AY) const;
    TRect NodeRect(const TTreeNode* ANode) const;
    // Where a node's expand button and check box are.
    TRect ButtonRect(const TTreeNode* ANode) const;
    TRect CheckRect(const TTreeNode* ANode) const;
    // Sorts every level by OnCompare, or by text.
    void AlphaSort(bool ARecurse = true);
    void FullExpand();
    void FullCollapse();

    // A change by the user: OnChanging may veto it, OnChange follows.
    TTVChangingEvent OnChanging() const { return FOnChanging; }
    void SetOnChanging(TTVChangingEvent AValue) { FOnChanging = AValue; }
    TTVChangedEvent OnChange() const { return FOnChange; }
    void SetOnChange(TTVChangedEvent AValue) { FOnChange = AValue; }
    TTVCompareEvent OnCompare() const { return FOnCompare; }
    void SetOnCompare(TTVCompareEvent AValue) { FOnCompare = AValue; }
    TTVChangedEvent OnCheckChanged() const { return FOnCheckChanged; }
    void SetOnCheckChanged(TTVChangedEvent AValue) { FOnCheckChanged = AValue; }

protected:
    TTreeView() = default;
    ~TTreeView() override;
    void Construct(TComponent* AOwner) override;
    void WndProc(TMessage& AMessage) override;
    void Paint() override;
    void KeyDown(uint16_t& AKey, TShiftState AShift) override;
    void KeyPress(char32_t& AKey) override;
    void MouseDown(TMouseButton AButton, TShiftState AShift, int AX, int AY) override;
    void MouseMove(TShiftState AShift, int AX, int AY) override;
    void MouseUp(TMouseButton AButton, TShiftState AShift, int AX, int AY) override;
    void DblClick() override;
    bool DoMouseWheel(TShiftState AShift, int AWheelDelta, TPoint AMousePos) override;

private:
    friend class TTreeNode;
    friend class TTreeNodes;
    bool SelectByUser(TTreeNode* ANode);
    void NodeGone(TTreeNode* ANode);
    void Changed();
    void UpdateScrollBar(int ARows) const;
    void MakeVisible(TTreeNode* ANode);
    TRect ListArea() const;

    TTreeNodes* FItems = nullptr;
    TTreeNode* FSelected = nullptr;
    TCustomImageList* FImages = nullptr;
    bool FCheckBoxes = false;
    int FIndent = 19;
    int FUpdateCount = 0;
    String FTyped;
    int64_t FTypedAt = 0;
    mutable TScrollBarPart FScroll;
    mutable bool FScrolling = false;
    TTVChangingEvent FOnChanging;
    TTVChangedEvent FOnChange;
    TTVCompareEvent FOnCompare;
    TTVChangedEvent FOnCheckChanged;
};

// ---- Month calendar ----------------------------------------------------------------------

X_ENUM(TCalDayOfWeek, dowMonday, dowTuesday, dowWednesday, dowThursday, dowFriday, dowSaturday, dowSunday,
       dowLocaleDefault);

// One month of days under a title with buttons to the months before and after, and a line
// with today's date. It tells of the user's changes as CN_NOTIFY with MCN_SELCHANGE and
// MCN_SELECT, and asks for bold days with MCN_GETDAYSTATE whenever it shows another month.
class TMonthCalendar : public TCustomControl {
    X_CLASS(TMonthCalendar, TCustomControl)
public:
    // The selected day (time 0).
    TDateTime Date() const { return FDate; }
    // Selects the day and shows its month; fires nothing.
    void SetDate(TDateTime AValue);
    // The first day of the shown month.
    TDateTime ShownMonth() const { return FShownMonth; }
    TCalDayOfWeek FirstDayOfWeek() const { return FFirstDayOfWeek; }
    void SetFirstDayOfWeek(TCalDayOfWeek AValue);
    bool ShowToday() const { return FShowToday; }
    void SetShowToday(bool AValue);
    bool ShowTodayCircle() const { return FShowTodayCircle; }
    void SetShowTodayCircle(bool AValue);
    // The day marked as today; 0 follows the clock.
    TDateTime Today() const;
    void SetToday(TDateTime AValue);
    // Whether the last MCN_GETDAYSTATE answer made the day bold.
    bool IsBold(TDateTime ADay) const;

    // The parts, in client coordinates: a shown day's cell (empty when it is not shown), the
    // buttons to the previous and the next month, the today line.
    TRect DayRect(TDateTime ADay) const;
    TRect PrevButtonRect() const;
    TRect NextButtonRect() const;
    TRect TodayRect() const;
    // The day of the cell under the point; 0 outside every cell.
    TDateTime DayAt(int AX, int AY) const;
    // The size that shows every part at the font's size.
    TSize MinimumSize() const;

protected:
    TMonthCalendar() = default;
    void Construct(TComponent* AOwner) override;
    void WndProc(TMessage& AMessage) override;
    void Paint() override;
    void KeyDown(uint16_t& AKey, TShiftState AShift) override;
    void MouseDown(TMouseButton AButton, TShiftState AShift, int AX, int AY) override;
    // The user moved the selection (MCN_SELCHANGE when it changed) and, with AChosen, chose
    // the day (MCN_SELECT).
    void SelectByUser(TDateTime ADay, bool AChosen);

private:
    struct TLayout {
        int Cell = 0;     // a day cell's width
        int Row = 0;      // a week row's height
        int Title = 0;    // the title row's height
        int Left = 0;     // where the first column starts
        int Top = 0;      // where the weekday names start
    };
    TLayout Layout() const;
    int FirstColumnDay() const;   // 1 Sunday ... 7 Saturday, as DayOfWeek counts
    TDateTime FirstShownDay() const;
    void Show(TDateTime AMonth);
    void AskDayState();
    void Notify(int ACode);

    TDateTime FDate;
    TDateTime FShownMonth;
    TDateTime FToday;
    TCalDayOfWeek FFirstDayOfWeek = dowLocaleDefault;
    bool FShowToday = true;
    bool FShowTodayCircle = true;
    TDateTime FDayStateStart;   // the first month of FDayState
    std::vector<MONTHDAYSTATE> FDayState;
};

// ---- Date-time picker --------------------------------------------------------------------

X_ENUM(TDateTimeKind, dtkDate, dtkTime);
X_ENUM(TDTDateMode, dmComboBox, dmUpDown);
X_ENUM(TDTDateFormat, dfShort, dfLong);

class TCustomForm;

// One part of a date or time format ("dd.mm.yyyy", "hh:nn:ss ampm"): a field of the value, or
// the text between fields.
struct TDateFormatField {
    enum TKind : uint8_t { fkText, fkDay, fkWeekday, fkMonth, fkYear, fkHour, fkMinute, fkSecond, fkAmPm };
    TKind Kind = fkText;
    int Letters = 0;   // how the format wrote it: "d" 1, "dd" 2, "mmm" 3...
    String Text;       // fkText's literal
};

// A date or a time shown in the locale's format, whose fields the user edits with the keys
// (Left and Right pick a field, Up and Down step it, digits type it) or, for a date, picks from
// a drop-down month calendar. Changes by the user arrive as CN_NOTIFY with DTN_DATETIMECHANGE,
// the drop-down as DTN_DROPDOWN and DTN_CLOSEUP; the control answers them with OnChange,
// OnDropDown and OnCloseUp.
class TDateTimePicker : public TCustomControl {
    X_CLASS(TDateTimePicker, TCustomControl)
public:
    // The program's changes fire nothing.
    TDateTime DateTime() const { return FDateTime; }
    void SetDateTime(TDateTime AValue);
    TDateTime Date() const;
    void SetDate(TDateTime AValue);
    TDateTime Time() const;
    void SetTime(TDateTime AValue);
    TDateTimeKind Kind() const { return FKind; }
    void SetKind(TDateTimeKind AValue);
    // Up-down buttons in place of the drop-down button; a time always has them.
    TDTDateMode DateMode() const { return FDateMode; }
    void SetDateMode(TDTDateMode AValue);
    TDTDateFormat DateFormat() const { return FDateFormat; }
    void SetDateFormat(TDTDateFormat AValue);
    // A check box before the value: unchecked, the value is shown grey and stands for none.
    bool ShowCheckbox() const { return FShowCheckbox; }
    void SetShowCheckbox(bool AValue);
    bool Checked() const { return FChecked; }
    void SetChecked(bool AValue);

    bool DroppedDown() const { return FPopup != nullptr; }
    // Shows or closes the calendar as the user would (notifications included).
    void SetDroppedDown(bool AValue);
    // The drop-down's calendar while it shows; nullptr otherwise.
    TMonthCalendar* Calendar() const { return FCalendar; }
    // The value as shown, and the field the keys edit (-1: none) as an index into the shown
    // fields that can be edited.
    String DisplayText() const;
    int SelectedField() const { return FSelected; }

    TNotifyEvent OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent AValue) { FOnChange = AValue; }
    TNotifyEvent OnDropDown() const { return FOnDropDown; }
    void SetOnDropDown(TNotifyEvent AValue) { FOnDropDown = AValue; }
    TNotifyEvent OnCloseUp() const { return FOnCloseUp; }
    void SetOnCloseUp(TNotifyEvent AValue) { FOnCloseUp = AValue; }

protected:
    TDateTimePicker() = default;
    ~TDateTimePicker() override;
    void Construct(TComponent* AOwner) override;
    void WndProc(TMessage& AMessage) override;
    void Paint() override;
    void KeyDown(uint16_t& AKey, TShiftState AShift) override;
    void KeyPress(char32_t& AKey) override;
    void MouseDown(TMouseButton AButton, TShiftState AShift, int AX, int AY) override;
    virtual void Change();

private:
    friend class TPickerCalendar;
    friend class TPickerPopup;
    using TField = TDateFormatField;
    void BuildFields();
    std::vector<int> EditableFields() const;
    TRect FieldRect(int AIndex) const;   // by index into FFields
    TRect CheckRect() const;
    TRect ButtonRect() const;
    int TextLeft() const;
    // Steps the selected field by ADelta (wrapping within it), or sets it to AValue.
    TDateTime Stepped(const TField& AField, int ADelta) const;
    TDateTime WithField(const TField& AField, int AValue) const;
    void SelectField(int AEditable);
    void TypeDigit(int ADigit);
    void CommitTyped();
    // A change by the user: DTN_DATETIMECHANGE when the value (or the check) changed.
    void ChangeByUser(TDateTime AValue);
    void NotifyChange();
    void NotifyCode(int ACode);
    void CalendarNotified(int ACode);

    TDateTime FDateTime;
    TDateTimeKind FKind = dtkDate;
    TDTDateMode FDateMode = dmComboBox;
    TDTDateFormat FDateFormat = dfShort;
    bool FShowCheckbox = false;
    bool FChecked = true;
    std::vector<TField> FFields;
    int FSelected = -1;   // into EditableFields()
    String FTyped;        // digits typed into the selected field, not yet taken
    int FPressed = -1;    // the up-down button held: 0 up, 1 down
    TCustomForm* FPopup = nullptr;
    TMonthCalendar* FCalendar = nullptr;
    TNotifyEvent FOnChange;
    TNotifyEvent FOnDropDown;
    TNotifyEvent FOnCloseUp;
};
