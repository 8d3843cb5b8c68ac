#include "ui/ThemedLabel.h"

#include <QEvent>
#include <QPainter>
#include <QTextLayout>

namespace {

// Lays `text` out at `width` and returns the lines to draw: at most `maxLines`, the last one elided.
QStringList wrappedLines(const QString& text, const QFont& font, int width, int maxLines) {
    QStringList lines;
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (lines.size() + 1 == maxLines) {
            const QString rest = text.mid(line.textStart()).simplified();
            lines.append(QFontMetrics(font).elidedText(rest, Qt::ElideRight, width));
            break;
        }
        lines.append(text.mid(line.textStart(), line.textLength()).trimmed());
    }
    layout.endLayout();
    return lines;
}

} // namespace

// Labels show host text: never let Qt guess that it is markup (images, links, files).
ThemedLabel::ThemedLabel(ThemeColor color, QWidget* parent) : QLabel(parent), m_color(color) {
    setTextFormat(Qt::PlainText);
}

void ThemedLabel::setColor(ThemeColor color) {
    if (color == m_color) {
        return; // snapshots rewrite every view; an unchanged one is not repainted
    }
    m_color = color;
    update();
}

void ThemedLabel::setElided(bool elided) {
    m_elided = elided;
    setWordWrap(false);
    updateGeometry();
    update();
}

void ThemedLabel::setSystemFont(qreal size, QFont::Weight weight) {
    setFont(systemFont(size, weight));
}

void ThemedLabel::setElideMode(Qt::TextElideMode mode) {
    m_elideMode = mode;
    update();
}

void ThemedLabel::setMaximumLines(int lines) {
    if (lines == m_maxLines) {
        return;
    }
    m_maxLines = lines;
    m_heightForWidth.forget();
    updateGeometry();
    update();
}

void ThemedLabel::setCollapsesWhenEmpty(bool collapses) {
    m_collapses = collapses;
    updateGeometry();
}

QSize ThemedLabel::sizeHint() const {
    if (m_collapses && text().isEmpty()) {
        return {0, 0};
    }
    QSize hint = QLabel::sizeHint();
    if (m_maxLines > 0 && wordWrap()) {
        const QMargins margins = contentsMargins();
        hint.setHeight(
            std::min(hint.height(), m_maxLines * fontMetrics().lineSpacing() + margins.top() + margins.bottom()));
    }
    return hint;
}

int ThemedLabel::heightForWidth(int width) const {
    if (m_collapses && text().isEmpty()) {
        return 0;
    }
    HeightForWidth& cached = m_heightForWidth;
    const QMargins margins = contentsMargins();
    if (cached.wordWrap == wordWrap() && cached.format == textFormat() && cached.margins == margins &&
        cached.text == text() && cached.font == font()) {
        for (const auto& [knownWidth, knownHeight] : cached.heights) {
            if (knownWidth == width) {
                return knownHeight;
            }
        }
    } else {
        cached.text = text();
        cached.font = font();
        cached.margins = margins;
        cached.wordWrap = wordWrap();
        cached.format = textFormat();
        cached.forget();
    }
    int height = QLabel::heightForWidth(width);
    if (m_maxLines > 0 && wordWrap()) {
        height = std::min(height, m_maxLines * fontMetrics().lineSpacing() + margins.top() + margins.bottom());
    }
    cached.heights[static_cast<size_t>(cached.next)] = {width, height};
    cached.next = (cached.next + 1) % static_cast<qsizetype>(cached.heights.size());
    return height;
}

QSize ThemedLabel::minimumSizeHint() const {
    if (m_collapses && text().isEmpty()) {
        return {0, 0};
    }
    if (wordWrap() && !m_elided) {
        // Its height follows its width (heightForWidth); the narrowest-width height QLabel reports as minimum would
        // make scroll areas scroll content that fits.
        const QMargins margins = contentsMargins();
        return {QLabel::minimumSizeHint().width(), fontMetrics().height() + margins.top() + margins.bottom()};
    }
    if (!m_elided) {
        return QLabel::minimumSizeHint();
    }
    // An elided label may shrink to almost nothing; it is the first to give way in a row.
    return {fontMetrics().horizontalAdvance(QStringLiteral("…")) * 2, QLabel::minimumSizeHint().height()};
}

bool ThemedLabel::event(QEvent* event) {
    if (event->type() != QEvent::Polish && event->type() != QEvent::ParentChange) {
        return QLabel::event(event);
    }
    // QFrame derives the contents margins again from its frame here; a label collapsed to no height at that moment
    // would lose the gap it keeps above itself. It has no frame, so the margins it was given stand.
    const QMargins kept = contentsMargins();
    const bool handled = QLabel::event(event);
    setContentsMargins(kept);
    return handled;
}

void ThemedLabel::paintEvent(QPaintEvent* event) {
    const QColor resolved = m_color.resolve(this);
    if (palette().color(QPalette::WindowText) != resolved) {
        QPalette themed = palette();
        themed.setColor(QPalette::WindowText, resolved);
        themed.setColor(QPalette::Text, resolved);
        setPalette(themed);
    }
    if (m_maxLines > 0 && wordWrap() && textFormat() != Qt::RichText) {
        QPainter painter(this);
        painter.setPen(resolved);
        painter.setFont(font());
        const QRect area = contentsRect();
        const int spacing = fontMetrics().lineSpacing();
        int top = area.top();
        for (const QString& line : wrappedLines(text(), font(), area.width(), m_maxLines)) {
            painter.drawText(QRect(area.left(), top, area.width(), spacing),
                             static_cast<int>(Qt::AlignLeft | Qt::AlignVCenter) | Qt::TextSingleLine, line);
            top += spacing;
        }
        return;
    }
    if (!m_elided || textFormat() == Qt::RichText) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setPen(resolved);
    const QRect area = contentsRect();
    const QString shown = fontMetrics().elidedText(text(), m_elideMode, area.width());
    painter.drawText(area, static_cast<int>(alignment()) | Qt::TextSingleLine, shown);
}
