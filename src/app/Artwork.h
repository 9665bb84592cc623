#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QString>

// The program's images, drawn from the SVG files compiled into its resources, so they stay
// sharp at every size and on every screen density.

// The mouse cursor of a cursor id: 1 "DRAW", 2 "DELETE", 3 "REJECT", 4 "ZOOMIN",
// 5 "ZOOMOUT", 6 "MAND2JUL", each 32 x 32 units; 0 and unknown ids give the default arrow.
// The image is drawn for `ratio` device pixels a unit, by default the highest density of the
// screens, and the hot spot is given in the image's pixels.
QCursor ModeCursor(int id, qreal ratio = 0);

// The tool-bar icon of an action, by the action's name ("FileNewWave", "ZoomIn", ...): the
// desktop theme's icon where a standard name fits and the theme has it, else our own, drawn at
// whatever size is asked for (24 x 24 on the tool bar); a null icon for a name without an
// image.
QIcon ToolIcon(const QString& actionName);

// The application icon, size x size: a Mandelbrot silhouette on a dark blue disc.
QPixmap AppIcon(int size = 32);

// The application icon at every size, for windows and the about box.
QIcon AppIconSet();
