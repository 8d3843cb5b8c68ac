#include "sessions/list/SessionRowDelegate.h"

#include "sessions/list/SessionListModel.h"
#include "ui/Surfaces.h"
#include "ui/TaskRowView.h"
#include "ui/Theme.h"
#include "ui/Tone.h"

#include <QPainter>

namespace {

constexpr qreal kInset = 8;
constexpr qreal kDotSize = 5;
constexpr qreal kTextLeft = 22; // after the dot
constexpr qreal kLineGap = 3;
constexpr qreal kHeadingBottom = 6;

// Host text on one line: line breaks and tabs would otherwise break the row's layout.
QString oneLine(QString text) {
    for (QChar& character : text) {
        if (character.category() == QChar::Separator_Line || character.category() == QChar::Separator_Paragraph ||
            character.category() == QChar::Other_Control) {
            character = QLatin1Char(' ');
        }
    }
    return text;
}

void drawLine(QPainter* painter, const QRectF& box, const QString& text, const QFont& font, const QColor& ink) {
    const QFontMetricsF metrics(font);
    painter->setFont(font);
    painter->setPen(ink);
    painter->drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      metrics.elidedText(oneLine(text), Qt::ElideRight, box.width()));
}

void paintHeading(QPainter* painter, const QRectF& row, const QModelIndex& index, const QWidget* view) {
    const QString heading = index.data(SessionListModel::TitleRole).toString();
    const qsizetype split = heading.lastIndexOf(QStringLiteral(" · "));
    const QString name = split < 0 ? heading : heading.left(split);
    const QString count = split < 0 ? QString() : heading.mid(split);
    const QColor ink =
        (index.data(SessionListModel::AttentionRole).toBool() ? Theme::attentionInk : Theme::secondary).resolve(view);
    const QFont nameFont = systemFont(12, QFont::Medium);
    const QFont countFont = systemFont(12);
    const qreal height = QFontMetricsF(nameFont).height();
    const qreal top = row.bottom() - kHeadingBottom - height;
    const qreal width = row.width() - 2 * kInset;
    const qreal nameWidth = std::min(QFontMetricsF(nameFont).horizontalAdvance(name), width);
    drawLine(painter, QRectF(row.left() + kInset, top, nameWidth + 1, height), name, nameFont, ink);
    drawLine(painter, QRectF(row.left() + kInset + nameWidth, top, width - nameWidth, height), count, countFont, ink);
}

void paintSession(QPainter* painter, const QRectF& row, const QModelIndex& index, const QWidget* view) {
    const QFont titleFont = systemFont(13, QFont::Medium);
    const QFont subtitleFont = systemFont(12);
    const qreal titleHeight = QFontMetricsF(titleFont).height();
    const qreal subtitleHeight = QFontMetricsF(subtitleFont).height();
    const qreal top = row.top() + (row.height() - titleHeight - kLineGap - subtitleHeight) / 2;
    const qreal width = row.width() - kTextLeft - kInset;

    const auto tone = static_cast<Tone>(index.data(SessionListModel::ToneRole).toInt());
    painter->setPen(Qt::NoPen);
    painter->setBrush(StatusDot::colorFor(tone).resolve(view));
    painter->drawEllipse(
        QRectF(row.left() + (kTextLeft - kDotSize) / 2, top + (titleHeight - kDotSize) / 2, kDotSize, kDotSize));

    drawLine(painter, QRectF(row.left() + kTextLeft, top, width, titleHeight),
             index.data(SessionListModel::TitleRole).toString(), titleFont, Theme::text.resolve(view));
    const ThemeColor subtitleInk =
        index.data(SessionListModel::AttentionRole).toBool() ? Theme::attentionInk : Theme::secondary;
    drawLine(painter, QRectF(row.left() + kTextLeft, top + titleHeight + kLineGap, width, subtitleHeight),
             index.data(SessionListModel::SubtitleRole).toString(), subtitleFont, subtitleInk.resolve(view));
}

} // namespace

SessionRowDelegate::SessionRowDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

QSize SessionRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    return {option.rect.width(), index.data(SessionListModel::HeadingRole).toBool() ? kHeadingHeight : kRowHeight};
}

void SessionRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const QWidget* view = option.widget;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    if (option.state & QStyle::State_Selected) {
        TaskRowView::paintSelection(painter, option.rect, view);
    }
    TaskRowView::paintFocus(painter, option);
    if (index.data(SessionListModel::HeadingRole).toBool()) {
        paintHeading(painter, QRectF(option.rect), index, view);
    } else {
        paintSession(painter, QRectF(option.rect), index, view);
    }
    painter->restore();
}
