// SPDX-License-Identifier: GPL-3.0-or-later
#include "sramedit_icon.h"

#include <QPainter>
#include <QPixmap>

namespace {

QPixmap drawIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal u = size / 16.0;
    // Cartridge body with its notch.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x4a, 0x4f, 0x6b));
    p.drawRoundedRect(QRectF(2 * u, 1 * u, 12 * u, 14 * u), 1.5 * u, 1.5 * u);
    p.setBrush(QColor(0x2b, 0x2e, 0x40));
    p.drawRect(QRectF(4 * u, 13 * u, 8 * u, 2 * u));
    // Label with a disk-like save mark.
    p.setBrush(QColor(0xf2, 0xe6, 0xc4));
    p.drawRect(QRectF(4 * u, 3 * u, 8 * u, 8 * u));
    p.setBrush(QColor(0xc8, 0x3c, 0x3c));
    p.drawRect(QRectF(5.5 * u, 4.5 * u, 5 * u, 5 * u));
    p.setBrush(QColor(0xf2, 0xe6, 0xc4));
    p.drawRect(QRectF(6.5 * u, 4.5 * u, 3 * u, 2 * u));
    return pixmap;
}

}  // namespace

QIcon srameditIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48}) icon.addPixmap(drawIcon(size));
    return icon;
}
