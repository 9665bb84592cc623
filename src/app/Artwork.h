#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QString>

// The program's images. All are painted in code from vector shapes, so they stay sharp at
// every size and need no image files.

// The mouse cursor of a cursor id: 1 "DRAW", 2 "DELETE", 3 "REJECT", 4 "ZOOMIN",
// 5 "ZOOMOUT", 6 "MAND2JUL", each 32 x 32; 0 and unknown ids give the default arrow.
QCursor ModeCursor(int id);

// The tool-bar icon of an action, by the action's name ("FileNewWave", "ZoomIn", ...),
// drawn at whatever size is asked for (24 x 24 on the tool bar); a null icon for a name
// without an image.
QIcon ToolIcon(const QString& actionName);

// The application icon, size x size: a Mandelbrot silhouette on a dark blue disc.
QPixmap AppIcon(int size = 32);
