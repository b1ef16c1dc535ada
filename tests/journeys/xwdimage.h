#pragma once

#include <QImage>
#include <QRect>
#include <QString>

// One area of a screen that an X server keeps in an XWD file (Xvfb -fbdir):
// the pixels the user sees there, or a null image when the file cannot be
// read or the area lies outside the screen.
QImage readXwdArea(const QString &file, const QRect &area);
