#include "tasks/TaskBodyView.h"

#include "tasks/InlineMarkdown.h"

#include <QEvent>
#include <QFontDatabase>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include <vector>

namespace {

constexpr int kLightColorProperty = QTextFormat::UserProperty + 1;
constexpr int kDarkColorProperty = QTextFormat::UserProperty + 2;
constexpr qreal kBodySize = 14;

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

void TaskBodyView::showSections(const QList<TaskSection>& sections) {
    followAppearance();
    const int scrolled = verticalScrollBar()->value();
    QTextDocument* previous = document();
    auto* body = new QTextDocument(this);
    body->setUndoRedoEnabled(false);
    body->setDocumentMargin(0);
    body->setDefaultFont(previous->defaultFont());
    body->setDefaultTextOption(previous->defaultTextOption());

    QTextCharFormat heading = themedFormat(Theme::secondary);
    heading.setFont(systemFont(kBodySize, QFont::DemiBold));
    InlineFormats formats;
    formats.text = themedFormat(Theme::text);
    formats.text.setFont(systemFont(kBodySize));
    QFont monospaced = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    monospaced.setPixelSize(static_cast<int>(kBodySize));
    formats.code.setFontFamilies(monospaced.families());
    formats.code.setFontFixedPitch(true);
    formats.strong.setFontWeight(QFont::DemiBold);
    formats.emphasis.setFontItalic(true);
    formats.link = themedFormat(Theme::accent);
    formats.link.setFontUnderline(true);

    // Each line feed that ends a section's content is the paragraph break before the next heading.
    QTextCursor cursor(body);
    cursor.beginEditBlock();
    for (qsizetype index = 0; index < sections.size(); ++index) {
        const TaskSection& section = sections.at(index);
        QTextBlockFormat headingBlock;
        headingBlock.setTopMargin(index == 0 ? 0 : 24);
        headingBlock.setBottomMargin(8);
        if (index == 0) {
            cursor.setBlockFormat(headingBlock);
            cursor.setBlockCharFormat(heading);
        } else {
            cursor.insertBlock(headingBlock, heading);
        }
        cursor.insertText(section.heading, heading);
        cursor.insertBlock(QTextBlockFormat(), formats.text);
        insertInlineRuns(cursor, parseInlineMarkdown(cleanSectionText(section.text)), formats);
    }
    if (!sections.isEmpty()) {
        cursor.insertBlock(QTextBlockFormat(), formats.text);
    }
    cursor.endEditBlock();

    // The view's first document belongs to its text control, which deletes it on the switch; later ones are ours.
    const bool ownPrevious = previous->parent() == this;
    // Without a page the document is not laid out when the view first attaches its layout, only once the view has
    // given it its width.
    body->setPageSize(QSizeF(0, 0));
    setDocument(body);
    if (ownPrevious) {
        delete previous;
    }
    verticalScrollBar()->setValue(scrolled);
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
