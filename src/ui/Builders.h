#pragma once

#include <QList>
#include <QString>

class QPlainTextEdit;
class QPushButton;
class QWidget;
class SettingsStack;

// Builders shared by the settings sheet, the session form, the understanding panel and the Sessions home.

// A vertical, leading-aligned stack of `views`, each as wide as the stack.
SettingsStack* settingsStack(const QList<QWidget*>& views, int spacing);
// A titled card: `surface` fill, `border` outline, radius 12, 16-point inset.
QWidget* settingsCard(const QString& title, const QList<QWidget*>& views);

// A multi-line text entry in an `input` box; the box is what the caller places.
struct ComposerField {
    QWidget* box = nullptr;
    QPlainTextEdit* editor = nullptr;
};
ComposerField composerField(int height);

// Draws `button`'s title as the primary action, in the attention colour when `attention`.
void tintPrimaryTitle(QPushButton* button, bool attention);
