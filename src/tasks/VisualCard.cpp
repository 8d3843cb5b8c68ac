#include "tasks/VisualCard.h"

#include "ui/Surfaces.h"
#include "ui/ThemedLabel.h"
#include "ui/ViewFactory.h"

#include <QVBoxLayout>

QWidget* visualCard(const QString& heading, const QStringList& rows, ThemeColor tint, ThemeColor fill,
                    QWidget* parent) {
    auto* card = new SurfaceView(parent);
    card->setFill(fill);
    card->setAccessibleName(heading);
    auto* stack = new QVBoxLayout(card);
    stack->setContentsMargins(16, 16, 16, 16);
    stack->setSpacing(8);
    auto* title = new ThemedLabel(tint, card);
    title->setObjectName(QStringLiteral("cardHeading"));
    title->setTextFormat(Qt::PlainText);
    title->setSystemFont(12, QFont::DemiBold);
    title->setElided(true);
    title->setText(heading);
    stack->addWidget(title);
    for (const QString& text : rows) {
        auto* row = new ThemedLabel(Theme::text, card);
        row->setObjectName(QStringLiteral("cardRow"));
        row->setTextFormat(Qt::PlainText);
        row->setSystemFont(13);
        row->setWordWrap(true);
        row->setMaximumLines(2);
        row->setText(text);
        row->setToolTip(plainToolTip(text));
        stack->addWidget(row);
    }
    return card;
}
