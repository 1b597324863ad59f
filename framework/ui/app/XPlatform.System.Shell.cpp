// XPlatform.System.Shell.cpp: lists bound to the shell's shared ones, so freeing them leaves
// the shell's images to the shell.
#include "XPlatform.System.Shell.h"

#include "Vcl.ShellIcons.h"
#include "XPlatform.System.Metrics.h"
#include "XSpark.App.h"

namespace {

TImageList* GLarge = nullptr;
TImageList* GSmall = nullptr;

TImageList* NewSystemImageList(int ASize)
{
    TImageList* List = TImageList::Create(nullptr);
    List->SetColorDepth(cd32Bit);
    List->SetDrawingStyle(dsTransparent);
    List->SetHandle(GetSystemImageList(ASize));
    return List;
}

}  // namespace

TImageList* SystemImageListLarge()
{
    return GLarge;
}

TImageList* SystemImageListSmall()
{
    return GSmall;
}

void StartSystemImageLists()
{
    if (GLarge != nullptr)
        return;
    GLarge = NewSystemImageList(ScreenMetrics().CXIcon);
    GSmall = NewSystemImageList(ScreenMetrics().CXSmIcon);
}

void StopSystemImageLists()
{
    FreeAndNil(GSmall);
    FreeAndNil(GLarge);
}

void RegisterSystemImageLists()
{
    SetSystemImageListSteps(&StartSystemImageLists, &StopSystemImageLists);
}
