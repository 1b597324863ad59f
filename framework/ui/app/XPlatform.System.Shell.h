// XPlatform.System.Shell.h: the two system image lists, the shell's icons at the large and the
// small icon size, made by the start-up code and freed at shut-down.
// The lists share the shell's images: an icon the shell adds for any path shows up in them.
#pragma once

#include "Vcl.ImgList.h"

// nullptr outside start-up and shut-down.
TImageList* SystemImageListLarge();
TImageList* SystemImageListSmall();
// Reads the icon sizes from the screen metrics; a second start changes nothing.
void StartSystemImageLists();
void StopSystemImageLists();
// Puts the two above into the framework's start-up order (StartAppSingletons).
void RegisterSystemImageLists();
