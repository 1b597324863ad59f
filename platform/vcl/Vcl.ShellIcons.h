// Vcl.ShellIcons.h: the shell's system icons: one shared image list per icon size, filled on
// demand with the icon of a drive root, a folder or a file (by its MIME type) from the
// desktop's icon theme, each icon added once. Without a theme icon a plain folder or document
// drawn here stands in, so every path gets an index even on a machine with no theme at all.
// UI thread only, like the image lists themselves.
#pragma once

#include <vector>

#include "Vcl.ImgList.h"

// The PNG files of the icon AName, in each theme of the desktop's chain that has it (its own,
// those it inherits, then "hicolor"), from the directory nearest ASize pixels; best first.
std::vector<String> GetThemeIconFiles(const String& AName, int ASize);

// The shared list of system icons ASize pixels square (at least 1), made at the first ask.
// The lists live as long as the program: a list bound to one sees icons added later.
HIMAGELIST GetSystemImageList(int ASize);
// The index in GetSystemImageList(ASize) of the icon for APath ("\" or "/"): a drive for a
// mount point, a folder for any other folder, else the icon of the file's type by its
// extension; the path need not exist. The icon is loaded and added at its first ask.
int GetSystemIconIndex(const String& APath, int ASize);
