#include "editors/ui/default_pictures.h"

#include <array>
#include <functional>

#include <QImage>
#include <QPainter>
#include <QPolygon>

namespace ledsuite {

namespace {

constexpr int kTile = 16;

QPixmap DrawTile(const std::function<void(QPainter&)>& draw) {
    QImage image(kTile, kTile, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    draw(p);
    p.end();
    return QPixmap::fromImage(image);
}

// A triangle pointing up, turned by `quarterTurns` quarters clockwise around the tile's centre.
QPixmap Arrow(int quarterTurns) {
    return DrawTile([quarterTurns](QPainter& p) {
        p.translate(kTile / 2.0, kTile / 2.0);
        p.rotate(90.0 * quarterTurns);
        p.drawPolygon(QPolygon({QPoint(0, -6), QPoint(6, 4), QPoint(-6, 4)}));
    });
}

}  // namespace

QPixmap NoBackgroundTile(int size) {
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    p.setPen(Qt::gray);
    p.drawRect(0, 0, size - 1, size - 1);
    p.drawLine(0, size - 1, size - 1, 0);
    p.end();
    return QPixmap::fromImage(image);
}

std::vector<QPixmap> SymbolTiles() {
    std::vector<QPixmap> tiles = {Arrow(0), Arrow(1), Arrow(2), Arrow(3)};
    tiles.push_back(DrawTile([](QPainter& p) { p.drawEllipse(QRect(2, 2, 12, 12)); }));
    tiles.push_back(DrawTile([](QPainter& p) { p.drawRect(QRect(3, 3, 10, 10)); }));
    tiles.push_back(DrawTile([](QPainter& p) {
        p.drawPolygon(QPolygon({QPoint(8, 1), QPoint(15, 8), QPoint(8, 15), QPoint(1, 8)}));
    }));
    tiles.push_back(DrawTile([](QPainter& p) {  // a note: head and stem
        p.drawEllipse(QRect(3, 10, 6, 5));
        p.drawRect(QRect(8, 2, 2, 10));
        p.drawRect(QRect(8, 2, 5, 2));
    }));
    return tiles;
}

}  // namespace ledsuite
