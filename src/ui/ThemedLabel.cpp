#include "ui/ThemedLabel.h"

#include <QPainter>

ThemedLabel::ThemedLabel(ThemeColor color, QWidget* parent) : QLabel(parent), m_color(color) {}

void ThemedLabel::setColor(ThemeColor color) {
    m_color = color;
    update();
}

void ThemedLabel::setElided(bool elided) {
    m_elided = elided;
    setWordWrap(false);
    updateGeometry();
    update();
}

void ThemedLabel::setSystemFont(qreal pointSize, QFont::Weight weight) {
    QFont systemFont = font();
    systemFont.setPointSizeF(pointSize);
    systemFont.setWeight(weight);
    setFont(systemFont);
}

QSize ThemedLabel::minimumSizeHint() const {
    if (!m_elided) {
        return QLabel::minimumSizeHint();
    }
    // An elided label may shrink to almost nothing; it is the first to give way in a row.
    return {fontMetrics().horizontalAdvance(QStringLiteral("…")) * 2, QLabel::minimumSizeHint().height()};
}

void ThemedLabel::paintEvent(QPaintEvent* event) {
    const QColor resolved = m_color.resolve(this);
    if (palette().color(QPalette::WindowText) != resolved) {
        QPalette themed = palette();
        themed.setColor(QPalette::WindowText, resolved);
        themed.setColor(QPalette::Text, resolved);
        setPalette(themed);
    }
    if (!m_elided || textFormat() == Qt::RichText) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setPen(resolved);
    const QRect area = contentsRect();
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, area.width());
    painter.drawText(area, static_cast<int>(alignment()) | Qt::TextSingleLine, shown);
}
