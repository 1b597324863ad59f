// XCore.Streams.Split.h: a collection item whose data is a block list: where the item's bytes
// (a found file, for example) lie in the source.
#pragma once

#include "XCore.Classes.h"
#include "XCore.Intervals.Blocks.h"

class TXSplitItem : public TXCollectionItem {
    X_CLASS(TXSplitItem, TXCollectionItem)
public:
    TXBlocks* Blocks() const { return FBlocks; }   // owned
    bool IsEmpty() override { return FBlocks->Count() == 0; }
    int64_t GetSize() const { return FBlocks->TotalSize(); }
    bool AssignFrom(TPersistent* ASource) override;

protected:
    TXSplitItem() = default;
    ~TXSplitItem() override;
    void Init() override;
    void DoClear() override;

private:
    TXBlocks* FBlocks = nullptr;
};
