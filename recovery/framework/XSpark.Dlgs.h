// XSpark.Dlgs.h: the aspects a dialog or wizard page receives when it is set up: the initial
// folder of a folder dialog, and the base of the page-data aspects a page gets when entered.
#pragma once

#include "XCore.Engine.Aspects.h"

class TXDialogInitFolderAspect : public TXCustomAspect {
    X_CLASS(TXDialogInitFolderAspect, TXCustomAspect)
public:
    String Folder;

protected:
    TXDialogInitFolderAspect() = default;
    using TXCustomAspect::Construct;
    void Construct(const String& AFolder)
    {
        inherited::Construct();
        Folder = AFolder;
    }
};

// Pages subscribe to this class; each page's own data comes as a descendant.
X_SIGNAL_ASPECT(TXDialogInitPageDataAspect, TXCustomAspect);
