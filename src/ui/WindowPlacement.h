#pragma once

#include <QList>
#include <QRect>
#include <QSize>

#include <optional>

// Room left around the window for its frame and title bar when it is fitted to a screen.
inline constexpr QSize kWindowFrameAllowance{16, 48};

// Where the main window goes. A remembered place that still shows on a screen is pulled wholly onto the screen it
// shows most on (shrunk to fit, never below `minimum`); otherwise `preferred`, fitted to the first screen's area,
// centred on it. `screens` are available areas, the primary one first.
QRect placeWindow(const std::optional<QRect>& remembered, const QList<QRect>& screens, QSize preferred, QSize minimum);
