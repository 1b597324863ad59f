// XCore.Streams.Split.cpp: the block-list item.
#include "XCore.Streams.Split.h"

void TXSplitItem::Init()
{
    inherited::Init();
    FBlocks = TXBlocks::Create();
}

TXSplitItem::~TXSplitItem()
{
    if (FBlocks != nullptr)
        FBlocks->Free();
}

bool TXSplitItem::AssignFrom(TPersistent* ASource)
{
    if (auto* Source = AsOrNull<TXSplitItem>(ASource))
        FBlocks->Assign(Source->Blocks());
    return inherited::AssignFrom(ASource);
}

void TXSplitItem::DoClear()
{
    inherited::DoClear();
    if (FBlocks != nullptr)
        FBlocks->Clear();
}
