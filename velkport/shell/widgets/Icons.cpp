#include "velkport/shell/widgets/Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace velkport::shell {

namespace {

QPixmap Canvas(int w, int h) {
    QPixmap p(w, h);
    p.fill(Qt::transparent);
    return p;
}

}  // namespace

QIcon ProgramIcon() {
    QPixmap pix = Canvas(64, 64);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor("#10253a"), 2));
    p.setBrush(QColor("#24476b"));
    p.drawRoundedRect(QRectF(6, 6, 52, 32), 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor("#5fa8e8"));
    p.drawRoundedRect(QRectF(10, 10, 44, 24), 2, 2);
    QPainterPath hills;
    hills.moveTo(14, 30);
    hills.lineTo(24, 18);
    hills.lineTo(32, 26);
    hills.lineTo(40, 16);
    hills.lineTo(50, 30);
    hills.closeSubpath();
    p.setBrush(QColor(207, 231, 251, 217));
    p.drawPath(hills);
    p.setPen(QPen(QColor("#10253a"), 3));
    p.drawLine(32, 40, 32, 46);
    p.setPen(QPen(QColor("#1c1e21"), 2));
    p.setBrush(QColor("#3b3f44"));
    p.drawRoundedRect(QRectF(8, 46, 48, 12), 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor("#6ee06e"));
    p.drawEllipse(QPointF(16, 52), 2, 2);
    p.setBrush(QColor("#8fd3ff"));
    p.drawRoundedRect(QRectF(24, 50, 24, 4), 1, 1);
    return QIcon(pix);
}

QIcon ChannelButtonIcon() {
    QPixmap pix = Canvas(48, 35);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor("#24476b"), 2));
    p.setBrush(QColor("#f4f6f8"));
    p.drawRoundedRect(QRectF(1, 1, 46, 33), 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor("#24476b"));
    const int widths[3] = {28, 22, 25};
    for (int i = 0; i < 3; ++i) {
        p.drawRect(5, 6 + i * 9, 7, 5);
        p.drawRect(15, 6 + i * 9, widths[i], 5);
    }
    p.setBrush(QColor("#e0662b"));
    QPainterPath arrow;
    arrow.moveTo(38, 14);
    arrow.lineTo(42, 18);
    arrow.lineTo(38, 22);
    arrow.closeSubpath();
    p.drawPath(arrow);
    return QIcon(pix);
}

QIcon UpgradeButtonIcon() {
    QPixmap pix = Canvas(48, 35);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor("#3b3f44"), 2));
    for (int x : {18, 24, 30}) {
        p.drawLine(x, 0, x, 2);
        p.drawLine(x, 14, x, 16);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor("#3b3f44"));
    p.drawRoundedRect(QRectF(14, 2, 20, 12), 2, 2);
    QPainterPath arrow;
    arrow.moveTo(24, 17);
    arrow.lineTo(14, 27);
    arrow.lineTo(20, 27);
    arrow.lineTo(20, 34);
    arrow.lineTo(28, 34);
    arrow.lineTo(28, 27);
    arrow.lineTo(34, 27);
    arrow.closeSubpath();
    p.setPen(QPen(QColor("#1b5e2a"), 1.5));
    p.setBrush(QColor("#2f9e44"));
    p.drawPath(arrow);
    return QIcon(pix);
}

}  // namespace velkport::shell
