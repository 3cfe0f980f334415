#include "shell/imagelist.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace zentclient {

namespace {

using Painter = std::function<void(QPainter&)>;

// Each image is drawn on a 16-unit grid at every size a view may ask for.
QIcon draw(const Painter& paint) {
    QIcon icon;
    for (int size : {16, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 16.0, size / 16.0);
        paint(p);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

void disc(QPainter& p, QColor fill) {
    p.setPen(QPen(fill.darker(160), 1));
    p.setBrush(fill);
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
}

// A clock face; hands at ten past ten.
void clock(QPainter& p, QColor rim) {
    p.setPen(QPen(rim, 1.6));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    p.setPen(QPen(Qt::black, 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8, 8), QPointF(8, 4));
    p.drawLine(QPointF(8, 8), QPointF(11, 9.5));
}

void printer(QPainter& p) {
    p.setPen(QPen(QColor(40, 40, 60), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));            // paper going in
    p.setBrush(QColor(70, 110, 170));
    p.drawRoundedRect(QRectF(1.5, 5.5, 13, 6), 1.5, 1.5);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 9.5, 7, 5));            // page coming out
    p.setPen(QPen(QColor(70, 110, 170), 1));
    p.drawLine(QPointF(6, 11.5), QPointF(10, 11.5));
    p.drawLine(QPointF(6, 13), QPointF(9, 13));
}

}  // namespace

ImageList::ImageList() {
    icons_ = {
        draw(printer),
        // 1 "ASAP", no session yet: a green disc with a play mark.
        draw([](QPainter& p) {
            disc(p, QColor(60, 170, 80));
            QPainterPath arrow;
            arrow.moveTo(6.5, 4.5);
            arrow.lineTo(11.5, 8);
            arrow.lineTo(6.5, 11.5);
            arrow.closeSubpath();
            p.fillPath(arrow, Qt::white);
        }),
        // 2 a time today, no session yet: a blue clock.
        draw([](QPainter& p) { clock(p, QColor(50, 100, 200)); }),
        // 3 "Tomorrow", no session yet: a grey clock with a moon.
        draw([](QPainter& p) {
            clock(p, QColor(120, 120, 120));
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(230, 190, 40));
            p.drawEllipse(QRectF(9.5, 0.5, 6, 6));
        }),
        // 4 has a session and waits: an orange clock.
        draw([](QPainter& p) { clock(p, QColor(230, 130, 20)); }),
        // 5 in the wizard: a yellow disc with a question mark.
        draw([](QPainter& p) {
            disc(p, QColor(240, 200, 40));
            QFont font = p.font();
            font.setPixelSize(11);
            font.setBold(true);
            p.setFont(font);
            p.setPen(Qt::black);
            p.drawText(QRectF(1.5, 1.5, 13, 13), Qt::AlignCenter, "?");
        }),
        // 6 sending: a blue disc with an upward arrow.
        draw([](QPainter& p) {
            disc(p, QColor(40, 120, 220));
            QPainterPath arrow;
            arrow.moveTo(8, 3.5);
            arrow.lineTo(12, 8);
            arrow.lineTo(9.5, 8);
            arrow.lineTo(9.5, 12.5);
            arrow.lineTo(6.5, 12.5);
            arrow.lineTo(6.5, 8);
            arrow.lineTo(4, 8);
            arrow.closeSubpath();
            p.fillPath(arrow, Qt::white);
        }),
    };
}

QIcon ImageList::icon(int index) const {
    return index >= 0 && index < icons_.size() ? icons_[index] : QIcon();
}

}  // namespace zentclient
