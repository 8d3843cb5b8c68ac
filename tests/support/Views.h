#pragma once

#include <QApplication>
#include <QObject>
#include <QString>
#include <QWidget>

// Finds a named view the way a user finds it on screen: by its objectName, anywhere under `root` (the root itself
// included). The one-argument form looks through every top-level window (main window, settings sheet, tray menu).
template <typename T> T* view(const QObject* root, const QString& name) {
    if (!root) {
        return nullptr;
    }
    if (root->objectName() == name) {
        if (auto* match = qobject_cast<T*>(const_cast<QObject*>(root))) {
            return match;
        }
    }
    return root->findChild<T*>(name);
}

template <typename T> T* view(const QString& name) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (T* match = view<T>(window, name)) {
            return match;
        }
    }
    return nullptr;
}
