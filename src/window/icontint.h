#ifndef ICONTINT_H
#define ICONTINT_H

#include <QColor>
#include <QIcon>
#include <QString>

// The picture at `path` with its shape and opacity kept and every pixel
// painted in `color`; an empty icon when the picture cannot be loaded.
QIcon tintedIcon(const QString &path, const QColor &color);

#endif // ICONTINT_H
