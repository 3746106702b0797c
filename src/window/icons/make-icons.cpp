// Draws the window's pictures and the application icon.
//
//   make-icons <icons folder> <app.ico path>      (make-icons.sh builds and runs it)
//
// The window only ever shows the pictures tinted in one colour, so each is a
// black shape whose alpha channel is all that matters. The shapes are built as
// painter paths on a 100 x 100 grid and filled once, which lets a picture cut
// gaps between its parts (the spanner from the worker, the hat from the face).
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QTransform>
#include <QtEndian>
#include <QtMath>

#include <cstdio>
#include <functional>

namespace {

constexpr int kPictureSide = 128;   // four times the 32 x 32 icon: sharp up to a 4x screen
constexpr qreal kGrid = 100;
constexpr qreal kLine = 8;          // about 2.5 pixels once shrunk to a 32 x 32 icon
constexpr int kAppIconSide = 256;

QPainterPath strokeOf(const QPainterPath &path, qreal width, Qt::PenCapStyle cap = Qt::RoundCap)
{
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(cap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(path).simplified();
}

QPainterPath line(QPointF from, QPointF to, qreal width = kLine, Qt::PenCapStyle cap = Qt::RoundCap)
{
    QPainterPath path(from);
    path.lineTo(to);
    return strokeOf(path, width, cap);
}

QPainterPath disc(QPointF centre, qreal radius)
{
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

QPainterPath ring(QPointF centre, qreal radius, qreal width = kLine)
{
    return disc(centre, radius + width / 2).subtracted(disc(centre, radius - width / 2));
}

QPainterPath polygon(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(points));
    path.closeSubpath();
    return path;
}

QPainterPath roundedRect(qreal x, qreal y, qreal w, qreal h, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(x, y, w, h), radius, radius);
    return path;
}

// A triangle whose tip is at `tip`, pointing along `direction` (any length).
QPainterPath arrowHead(QPointF tip, QPointF direction, qreal length, qreal halfWidth)
{
    const qreal norm = qSqrt(QPointF::dotProduct(direction, direction));
    const QPointF along = direction / norm;
    const QPointF across(-along.y(), along.x());
    const QPointF base = tip - along * length;
    QPainterPath head = polygon({tip, base + across * halfWidth, base - across * halfWidth});
    return head.united(strokeOf(head, 3));   // soften the three corners
}

QPainterPath arrow(QPointF tail, QPointF tip, qreal headLength = 24, qreal headHalfWidth = 17)
{
    const QPointF direction = tip - tail;
    const qreal norm = qSqrt(QPointF::dotProduct(direction, direction));
    const QPointF shaftEnd = tip - direction / norm * (headLength - 2);
    return line(tail, shaftEnd, 10, Qt::FlatCap).united(arrowHead(tip, direction, headLength, headHalfWidth));
}

QImage render(const QPainterPath &shape)
{
    QImage image(kPictureSide, kPictureSide, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(kPictureSide / kGrid, kPictureSide / kGrid);
    painter.fillPath(shape, Qt::black);
    return image;
}

// The same picture as a palette image: index a is black with opacity a.
// Written that way the file decodes to exactly the same pixels from a
// quarter of the data, and decoding is part of every start of the window.
QImage alphaPalette(const QImage &picture)
{
    const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
    QImage indexed(argb.size(), QImage::Format_Indexed8);
    QVector<QRgb> palette;
    for (int a = 0; a < 256; ++a)
        palette << qRgba(0, 0, 0, a);
    indexed.setColorTable(palette);
    for (int y = 0; y < argb.height(); ++y) {
        const QRgb *from = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        uchar *to = indexed.scanLine(y);
        for (int x = 0; x < argb.width(); ++x)
            to[x] = uchar(qAlpha(from[x]));
    }
    return indexed;
}

// ---- the pictures -----------------------------------------------------------

QPainterPath gearOutline()
{
    const QPointF centre(50, 50);
    const int teeth = 8;
    const qreal tipRadius = 42, rootRadius = 32;
    const qreal tipHalf = 9, rootHalf = 15;   // degrees either side of a tooth's middle
    auto at = [&](qreal radius, qreal degrees) {
        const qreal a = qDegreesToRadians(degrees);
        return centre + QPointF(radius * qCos(a), radius * qSin(a));
    };
    QPolygonF contour;
    for (int i = 0; i < teeth; ++i) {
        const qreal middle = i * 360.0 / teeth;
        contour << at(rootRadius, middle - rootHalf) << at(tipRadius, middle - tipHalf)
                << at(tipRadius, middle + tipHalf) << at(rootRadius, middle + rootHalf);
    }
    contour << contour.first();
    QPainterPath path;
    path.addPolygon(contour);
    return strokeOf(path, kLine).united(ring(centre, 12));
}

QPainterPath sliders()
{
    QPainterPath shape;
    const qreal rows[] = {22, 50, 78};
    const qreal knobs[] = {32, 68, 44};
    for (int i = 0; i < 3; ++i) {
        shape = shape.united(line(QPointF(10, rows[i]), QPointF(90, rows[i]), 7));
        shape = shape.united(disc(QPointF(knobs[i], rows[i]), 11));
    }
    return shape;
}

QPainterPath calliper()
{
    // Beam across the top, the fixed jaw at its left end, the slider with the
    // moving jaw; the jaws' measuring faces look at each other across a gap.
    QPainterPath shape = roundedRect(4, 17, 93, 12, 2);
    shape = shape.united(polygon({{4, 27}, {17, 27}, {17, 90}, {4, 60}}));          // fixed jaw
    shape = shape.united(polygon({{11, 19}, {17, 19}, {17, 4}}));                   // its small upper jaw
    shape = shape.united(roundedRect(40, 10, 24, 26, 4));                           // slider
    shape = shape.united(polygon({{40, 34}, {53, 34}, {53, 60}, {40, 90}}));        // moving jaw
    shape = shape.united(polygon({{40, 12}, {46, 12}, {40, 2}}));                   // its small upper jaw
    for (qreal x : {72.0, 79.0, 86.0, 93.0})                                        // scale marks
        shape = shape.subtracted(roundedRect(x - 1.5, 17, 3, x == 86.0 ? 8 : 5, 1));
    shape = shape.subtracted(roundedRect(44, 17, 16, 11, 2));                       // slider window
    return shape;
}

QPainterPath playInCircle()
{
    const QPainterPath triangle = polygon({{40, 30}, {40, 70}, {72, 50}});
    return ring(QPointF(50, 50), 42).united(triangle.united(strokeOf(triangle, 5)));
}

QPainterPath stopInCircle()
{
    return ring(QPointF(50, 50), 42).united(roundedRect(33, 33, 34, 34, 7));
}

// An arc of the circle running counter-clockwise from `fromDegrees`, ending in a head.
QPainterPath arcArrow(QPointF centre, qreal radius, qreal fromDegrees, qreal spanDegrees)
{
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    QPainterPath arc;
    arc.arcMoveTo(box, fromDegrees);
    arc.arcTo(box, fromDegrees, spanDegrees);
    const qreal end = qDegreesToRadians(fromDegrees + spanDegrees);
    const QPointF endPoint = centre + QPointF(radius * qCos(end), -radius * qSin(end));
    const QPointF tangent(-qSin(end), -qCos(end));
    return strokeOf(arc, 10, Qt::FlatCap).united(arrowHead(endPoint + tangent * 14, tangent, 22, 16));
}

QPainterPath circularArrows()
{
    const QPointF centre(50, 50);
    return arcArrow(centre, 32, 20, 125).united(arcArrow(centre, 32, 200, 125));
}

QPainterPath pencil()
{
    // Built lying along the x axis, tip at the origin, then turned to write
    // down to the left above a written line.
    QPainterPath body = polygon({{0, 0}, {20, -9}, {20, 9}});                     // sharpened end
    body = body.united(roundedRect(23, -9, 46, 18, 1.5));                          // shaft
    body = body.united(roundedRect(72, -9, 13, 18, 5));                           // eraser
    body = body.subtracted(roundedRect(7, -10, 2.5, 20, 0));                      // the lead's edge
    QTransform placing;
    placing.translate(16, 74);
    placing.rotate(-45);
    QPainterPath shape = placing.map(body);
    return shape.united(line(QPointF(38, 90), QPointF(88, 90), 7));
}

QPainterPath tray()
{
    QPainterPath path(QPointF(12, 50));
    path.lineTo(12, 88);
    path.lineTo(88, 88);
    path.lineTo(88, 50);
    return strokeOf(path, kLine);
}

QPainterPath arrowOutOfTray()
{
    return tray().united(arrow(QPointF(50, 70), QPointF(50, 6)));
}

QPainterPath arrowIntoTray()
{
    return tray().united(arrow(QPointF(50, 4), QPointF(50, 72)));
}

QPainterPath shoulders(qreal left, qreal right)
{
    return roundedRect(left, 66, right - left, 60, 24).intersected(roundedRect(0, 0, 100, 96, 0));
}

QPainterPath workerInHardHat()
{
    QPainterPath hat = roundedRect(24, 34, 52, 7, 3.5);                             // brim
    QPainterPath dome;
    dome.moveTo(30, 36);
    dome.arcTo(QRectF(30, 14, 40, 44), 180, -180);
    dome.closeSubpath();
    hat = hat.united(dome).united(roundedRect(46.5, 10, 7, 12, 3));                 // ridge
    const QPainterPath face = disc(QPointF(50, 46), 15).subtracted(roundedRect(0, 0, 100, 44, 0));
    return shoulders(14, 86).united(hat).united(face);
}

QPainterPath spanner()
{
    // Lying along the x axis: a ring end, the handle, an open end.
    QPainterPath tool = roundedRect(0, -5, 48, 10, 5);
    tool = tool.united(disc(QPointF(0, 0), 10)).subtracted(disc(QPointF(0, 0), 4.5));
    tool = tool.united(disc(QPointF(52, 0), 13)).subtracted(roundedRect(52, -5.5, 20, 11, 1));
    QTransform placing;
    placing.translate(50, 80);
    placing.rotate(-50);
    return placing.map(tool);
}

QPainterPath workerWithSpanner()
{
    const QPainterPath tool = spanner();
    const QPainterPath worker = shoulders(4, 76).united(disc(QPointF(40, 40), 17));
    return worker.subtracted(strokeOf(tool, 10)).united(tool);
}

QPainterPath doorWithArrow()
{
    QPainterPath frame(QPointF(58, 30));
    frame.lineTo(58, 10);
    frame.lineTo(12, 10);
    frame.lineTo(12, 90);
    frame.lineTo(58, 90);
    frame.lineTo(58, 70);
    return strokeOf(frame, kLine).united(arrow(QPointF(32, 50), QPointF(95, 50)));
}

// ---- the application icon ---------------------------------------------------

// A detector: body, display with a trace, and the sensor grille, on a tile in
// the window's accent colour.
QImage appIconPicture()
{
    QImage image(kAppIconSide, kAppIconSide, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);

    QLinearGradient tile(0, 0, 0, kAppIconSide);
    tile.setColorAt(0, QColor(45, 124, 212));
    tile.setColorAt(1, QColor(25, 94, 172));
    painter.setBrush(tile);
    painter.drawRoundedRect(QRectF(8, 8, 240, 240), 48, 48);

    painter.setBrush(QColor(250, 250, 250));
    painter.drawRoundedRect(QRectF(66, 26, 124, 204), 26, 26);

    painter.setBrush(QColor(28, 38, 52));
    painter.drawRoundedRect(QRectF(84, 48, 88, 64), 8, 8);
    QPainterPath trace(QPointF(94, 96));
    trace.cubicTo(110, 96, 114, 64, 128, 66);
    trace.cubicTo(142, 68, 146, 90, 162, 84);
    painter.setPen(QPen(QColor(96, 220, 170), 6, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(trace);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(25, 94, 172));
    const QPointF grille(128, 172);
    painter.drawEllipse(grille, 34, 34);
    painter.setBrush(QColor(250, 250, 250));
    painter.drawEllipse(grille, 6, 6);
    for (int i = 0; i < 6; ++i) {
        const qreal a = qDegreesToRadians(30.0 + 60.0 * i);
        painter.drawEllipse(grille + QPointF(19 * qCos(a), 19 * qSin(a)), 6, 6);
    }
    return image;
}

void putLe16(QByteArray &out, quint16 v) { out.append(char(v & 0xFF)).append(char(v >> 8)); }
void putLe32(QByteArray &out, quint32 v) { putLe16(out, quint16(v & 0xFFFF)); putLe16(out, quint16(v >> 16)); }

// An icon file with one 32-bit image stored as a bottom-up BGRA bitmap with
// its AND mask, the form every icon reader knows.
QByteArray icoFile(const QImage &picture)
{
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    const int side = image.width();
    const int maskStride = ((side + 31) / 32) * 4;
    const quint32 pixelBytes = quint32(side * side * 4);
    const quint32 maskBytes = quint32(maskStride * side);
    const quint32 bitmapBytes = 40 + pixelBytes + maskBytes;

    QByteArray out;
    putLe16(out, 0);              // reserved
    putLe16(out, 1);              // an icon, not a cursor
    putLe16(out, 1);              // one image
    out.append(char(side == 256 ? 0 : side)).append(char(side == 256 ? 0 : side));   // 0 means 256
    out.append(char(0)).append(char(0));   // no palette, reserved
    putLe16(out, 1);              // planes
    putLe16(out, 32);             // bits per pixel
    putLe32(out, bitmapBytes);
    putLe32(out, 22);             // the bitmap follows this 22-byte header

    putLe32(out, 40);
    putLe32(out, quint32(side));
    putLe32(out, quint32(2 * side));   // colour rows plus mask rows
    putLe16(out, 1);
    putLe16(out, 32);
    putLe32(out, 0);              // uncompressed
    putLe32(out, pixelBytes + maskBytes);
    for (int i = 0; i < 4; ++i)
        putLe32(out, 0);

    for (int y = side - 1; y >= 0; --y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < side; ++x)
            out.append(char(qBlue(row[x]))).append(char(qGreen(row[x]))).append(char(qRed(row[x])))
               .append(char(qAlpha(row[x])));
    }
    for (int y = side - 1; y >= 0; --y) {
        QByteArray maskRow(maskStride, '\0');
        const QRgb *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < side; ++x)
            if (qAlpha(row[x]) == 0)
                maskRow[x / 8] = char(maskRow[x / 8] | (0x80 >> (x % 8)));
        out.append(maskRow);
    }
    return out;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make-icons <icons folder> <app.ico path>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const struct { const char *name; std::function<QPainterPath()> draw; } pictures[] = {
        {"params.png", gearOutline},
        {"settings.png", sliders},
        {"kalibrovka.png", calliper},
        {"start.png", playInCircle},
        {"stop.png", stopInCircle},
        {"reload.png", circularArrows},
        {"write.png", pencil},
        {"save.png", arrowOutOfTray},
        {"load.png", arrowIntoTray},
        {"working.png", workerInHardHat},
        {"service.png", workerWithSpanner},
        {"exit.png", doorWithArrow},
    };
    for (const auto &picture : pictures) {
        const QString path = folder + '/' + picture.name;
        if (!alphaPalette(render(picture.draw())).save(path, "PNG")) {
            std::fprintf(stderr, "make-icons: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    const QString icoPath = QString::fromLocal8Bit(argv[2]);
    if (!writeFile(icoPath, icoFile(appIconPicture()))) {
        std::fprintf(stderr, "make-icons: cannot write %s\n", qPrintable(icoPath));
        return 1;
    }
    return 0;
}
