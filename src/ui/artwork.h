// The program's own pictures, drawn in code: the splash picture, the toolbar
// strip of eight 24 x 24 images and the window icon.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace korvane::ui {

inline constexpr int kToolImageSize = 24;
inline constexpr int kToolImageCount = 8;

// 500 x 322: a floppy disk, the name and the version line.
QPixmap SplashPicture();
// 192 x 24: info, view, extract, convert, re-read, swap, root, upper directory.
QPixmap ToolbarStrip();
// One image of the strip.
QIcon ToolIcon(int index);
// A 64 x 64 floppy disk.
QPixmap DiskPicture(int size);

}  // namespace korvane::ui
