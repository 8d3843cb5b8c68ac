#pragma once

#include "ui/Theme.h"

#include <QFont>

class QScrollArea;
class QWidget;
class ThemedLabel;

// Small helpers for building named views.

template <typename View> View* named(View* view, const char* name) {
    view->setObjectName(QString::fromLatin1(name));
    return view;
}

// A label in a theme colour and the system font; wrapping ones are also selectable, so text can be copied.
ThemedLabel* themedLabel(QWidget* parent, const char* name, ThemeColor color, qreal size,
                         QFont::Weight weight = QFont::Normal, bool wraps = true);

// A frameless scroll area without background around `document`, scrolling vertically only.
QScrollArea* clearScrollArea(QWidget* parent, QWidget* document, const char* name = nullptr);

// A tool tip that shows `text` as it is: Qt reads a tool tip that looks like markup as rich text.
QString plainToolTip(const QString& text);

// A menu item title that shows `text` as it is: a single "&" would mark a shortcut key and vanish.
QString plainMenuText(QString text);

// Keeps `follower` hidden exactly while `leader` is hidden (its own flag, whatever its ancestors).
void followHidden(QWidget* follower, QWidget* leader);

// A window-modal dialog is open on `window` (the settings panel, an alert, another sheet): no second one opens.
bool sheetIsAttached(const QWidget* window);
