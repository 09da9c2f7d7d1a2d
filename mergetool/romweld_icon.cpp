// SPDX-License-Identifier: GPL-3.0-or-later
#include "romweld_icon.h"

#include <QFont>
#include <QPainter>
#include <QPixmap>

QIcon romweldIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        // A cartridge: a dark body with a notched top and a light label.
        const qreal unit = size / 16.0;
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x3a, 0x3f, 0x58));
        painter.drawRoundedRect(QRectF(1 * unit, 2 * unit, 14 * unit, 13 * unit), unit, unit);
        painter.setBrush(QColor(0xf2, 0xc1, 0x4e));
        painter.drawRect(QRectF(3 * unit, 5 * unit, 10 * unit, 7 * unit));
        painter.setPen(QColor(0x3a, 0x3f, 0x58));
        QFont font;
        font.setPixelSize(static_cast<int>(5.5 * unit));
        font.setBold(true);
        painter.setFont(font);
        painter.drawText(QRectF(3 * unit, 5 * unit, 10 * unit, 7 * unit), Qt::AlignCenter, QStringLiteral("RW"));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
