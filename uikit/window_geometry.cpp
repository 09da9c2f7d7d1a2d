// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_geometry.h"

#include <QByteArray>
#include <QWidget>

std::string geometryText(const QWidget& window)
{
    return window.saveGeometry().toBase64().toStdString();
}

bool restoreGeometryText(QWidget& window, const std::string& text)
{
    if (text.empty()) return false;
    const QByteArray::FromBase64Result decoded =
        QByteArray::fromBase64Encoding(QByteArray::fromStdString(text), QByteArray::AbortOnBase64DecodingErrors);
    return decoded && window.restoreGeometry(*decoded);
}
