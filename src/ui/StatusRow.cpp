#include "ui/StatusRow.h"

#include "ui/FlatButtons.h"
#include "ui/Theme.h"
#include "ui/ThemedLabel.h"
#include "ui/ViewFactory.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>

StatusRow::StatusRow(const QString& title, QWidget* parent)
    : QWidget(parent), m_dot(new ThemedLabel(Theme::secondary, this)), m_title(new ThemedLabel(Theme::text, this)),
      m_detail(new ThemedLabel(Theme::secondary, this)), m_action(new FlatOutlineButton({}, this)) {
    setMinimumHeight(48);
    // The parts are reported under the row's name (connectionRow.detail, ...).
    setProperty("voduComposite", true);
    m_dot->setObjectName(QStringLiteral("dot"));
    m_title->setObjectName(QStringLiteral("title"));
    m_detail->setObjectName(QStringLiteral("detail"));
    m_action->setObjectName(QStringLiteral("action"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(16, 8, 16, 8);
    layout->setSpacing(16);

    m_dot->setText(QStringLiteral("●"));
    m_dot->setSystemFont(9, QFont::Bold);
    m_dot->setAlignment(Qt::AlignCenter);
    m_dot->setFixedWidth(12);

    m_title->setText(title);
    m_title->setSystemFont(13, QFont::Medium);
    m_title->setFixedWidth(112);
    m_title->setElided(true);

    m_detail->setSystemFont(12);
    m_detail->setElided(true);
    m_detail->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    m_action->setFont(systemFont(12, QFont::Medium));
    m_action->setFixedHeight(28);
    m_action->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_action->hide();

    layout->addWidget(m_dot, 0, Qt::AlignVCenter);
    layout->addWidget(m_title, 0, Qt::AlignVCenter);
    layout->addWidget(m_detail, 1, Qt::AlignVCenter);
    layout->addWidget(m_action, 0, Qt::AlignVCenter);
}

void StatusRow::render(const QString& text, Tone tone) {
    m_tone = tone;
    m_detail->setText(text);
    m_detail->setToolTip(plainToolTip(text));
    m_dot->setColor(Theme::rowDotColor(tone));
    update();
}

void StatusRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen outline(Theme::border.resolve(this));
    outline.setWidthF(0.5);
    painter.setPen(outline);
    painter.setBrush(Theme::surface.resolve(this));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.25, 0.25, -0.25, -0.25), 8, 8);
}
