#pragma once

#include "tasks/TaskDetailContent.h"
#include "ui/Theme.h"

#include <QList>
#include <QPointer>
#include <QTextBrowser>

class QTextCharFormat;

// The read-only rich text of the task detail. It never follows a link by itself: clicks are only reported through
// anchorClicked. Text colours are theme pairs stored in the character formats and re-resolved whenever the
// window's appearance changes, so switching light and dark keeps the scroll position and the selection.
class TaskBodyView final : public QTextBrowser {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TaskBodyView)

public:
    explicit TaskBodyView(QWidget* parent);

    // A character format drawn in `color`, resolved for this view now and again after each appearance change.
    QTextCharFormat themedFormat(ThemeColor color) const;
    // Replaces the content with one plain message.
    void showMessage(const QString& text, ThemeColor color);
    // Replaces the content with a task's sections, each a heading line, its text in inline Markdown and a line
    // feed. The document is built whole before the view takes it, so a long body costs one pass and only what is on
    // screen is laid out at once. The scroll position is kept; the cursor goes back to the start.
    void showSections(const QList<TaskSection>& sections);
    // Re-resolves the themed colours when the appearance differs from the one they were resolved for.
    void followAppearance();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Follows the window this view is in, whose appearance it draws in.
    void watchWindow();

    Appearance m_appearance;
    QPointer<QWidget> m_window;
};
