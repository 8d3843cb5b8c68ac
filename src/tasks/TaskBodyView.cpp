#include "tasks/TaskBodyView.h"

#include <QEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

#include <vector>

namespace {

constexpr int kLightColorProperty = QTextFormat::UserProperty + 1;
constexpr int kDarkColorProperty = QTextFormat::UserProperty + 2;

} // namespace

TaskBodyView::TaskBodyView(QWidget* parent) : QTextBrowser(parent), m_appearance(appearanceOf(parent)) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextBrowserInteraction);
    setFrameShape(QFrame::NoFrame);
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(false);
    setLineWrapMode(QTextEdit::WidgetWidth);
    document()->setDocumentMargin(0);
    document()->setUndoRedoEnabled(false);
    watchWindow();
}

QTextCharFormat TaskBodyView::themedFormat(ThemeColor color) const {
    QTextCharFormat format;
    format.setForeground(color.resolve(m_appearance));
    format.setProperty(kLightColorProperty, color.light);
    format.setProperty(kDarkColorProperty, color.dark);
    return format;
}

void TaskBodyView::showMessage(const QString& text, ThemeColor color) {
    followAppearance();
    clear();
    QTextCursor cursor(document());
    QTextCharFormat format = themedFormat(color);
    format.setFont(systemFont(14));
    cursor.insertText(text, format);
    setTextCursor(QTextCursor(document()));
}

void TaskBodyView::followAppearance() {
    const Appearance current = appearanceOf(this);
    if (current == m_appearance) {
        return;
    }
    m_appearance = current;
    // Ranges are collected first: changing a format may merge or split the fragments being walked.
    struct Recolour {
        int position;
        int length;
        QColor color;
    };
    std::vector<Recolour> changes;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextCharFormat format = fragment.fragment().charFormat();
            if (!format.hasProperty(kLightColorProperty)) {
                continue;
            }
            const ThemeColor color{format.property(kLightColorProperty).toUInt(),
                                   format.property(kDarkColorProperty).toUInt()};
            changes.push_back({fragment.fragment().position(), fragment.fragment().length(), color.resolve(current)});
        }
    }
    QTextCursor cursor(document());
    for (const Recolour& change : changes) {
        cursor.setPosition(change.position);
        cursor.setPosition(change.position + change.length, QTextCursor::KeepAnchor);
        QTextCharFormat colour;
        colour.setForeground(change.color);
        cursor.mergeCharFormat(colour);
    }
}

void TaskBodyView::watchWindow() {
    QWidget* top = window();
    if (top == m_window) {
        return;
    }
    if (m_window) {
        m_window->removeEventFilter(this);
    }
    m_window = top;
    m_window->installEventFilter(this);
}

bool TaskBodyView::eventFilter(QObject* watched, QEvent* event) {
    // The window keeps its appearance as a property; a style sheet on it stops palette changes from reaching us.
    if (watched == m_window && event->type() == QEvent::DynamicPropertyChange) {
        followAppearance();
    }
    return QTextBrowser::eventFilter(watched, event);
}

void TaskBodyView::changeEvent(QEvent* event) {
    QTextBrowser::changeEvent(event);
    if (event->type() == QEvent::ParentChange) {
        watchWindow();
    }
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) {
        followAppearance();
    }
}

void TaskBodyView::showEvent(QShowEvent* event) {
    QTextBrowser::showEvent(event);
    watchWindow(); // the view may have been built before its page joined the window
    followAppearance();
}

void TaskBodyView::paintEvent(QPaintEvent* event) {
    // An appearance set without a palette change is caught here; the document is not changed while painting.
    if (appearanceOf(this) != m_appearance) {
        QTimer::singleShot(0, this, &TaskBodyView::followAppearance);
    }
    QTextBrowser::paintEvent(event);
}
