// SPDX-License-Identifier: GPL-3.0-or-later
// Where a window was and how large, kept in a settings value so that it
// reopens as the user left it: Qt's own record of the window
// (QWidget::saveGeometry) as one line of base64.
#pragma once

#include <string>

class QWidget;

// The value to keep for window.
std::string geometryText(const QWidget& window);

// Puts window where text says. Qt puts it on the screen it was on when that
// screen is still there, and else moves it onto one that is. Empty or
// damaged text leaves the window as it is (false).
bool restoreGeometryText(QWidget& window, const std::string& text);
