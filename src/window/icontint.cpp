#include "icontint.h"

#include <QPainter>
#include <QPixmap>

QIcon tintedIcon(const QString &path, const QColor &color)
{
    const QPixmap picture(path);
    if (picture.isNull())
        return QIcon();   // what painting on an empty pixmap would give, without the painter's complaints
    QPixmap tinted(picture.size());
    tinted.fill(Qt::transparent);
    QPainter painter(&tinted);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawPixmap(0, 0, picture);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(tinted.rect(), color);
    painter.end();
    return QIcon(tinted);
}
