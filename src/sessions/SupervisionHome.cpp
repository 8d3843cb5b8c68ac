// What the Sessions home shows when there is nothing to present, and the setters the areas draw through.
#include "sessions/SupervisionHome.h"

#include "ui/Copy.h"
#include "ui/FlatButtons.h"
#include "ui/Surfaces.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"
#include "ui/ThemedLabel.h"

#include <QLabel>
#include <QLayout>
#include <QPushButton>

void SupervisionHome::renderWaiting() {
    m_deliveryControls->hide();
    m_deliveryStateBadge->show();
    m_deliveryHeadline->setText(m_copy.text("管理中の作業を確認中…", "Checking managed work…"));
    m_deliveryHeadline->show();
    m_deliveryGoal->clear();
    m_deliveryProgress->clear();
    m_deliveryState->setText(m_copy.text("接続中…", "Connecting…"));
    m_deliveryAttention->hide();
    m_deliveryNext->setText(m_copy.text("サービスから状態を取得しています。", "Waiting for service status."));
    m_deliveryNext->show();
    setDeliveryPrimaryHidden(true);
}

void SupervisionHome::renderDisconnected(const QString& message) {
    m_deliveryStateBadge->show();
    m_deliveryHeadline->setText(m_copy.text("状態を取得できません", "Status unavailable"));
    m_deliveryHeadline->show();
    m_deliveryGoal->clear();
    m_deliveryState->setText(m_copy.text("未接続", "Disconnected"));
    m_deliveryNext->setText(message);
    m_deliveryNext->show();
    m_deliveryAttention->hide();
    setDeliveryPrimaryHidden(true);
}

void SupervisionHome::clearHeadlineArea() {
    m_deliveryStateBadge->hide();
    for (QLabel* text : {m_deliveryHeadline, m_deliveryGoal, m_deliveryProgress, m_deliverySummary, m_deliveryNext}) {
        text->clear();
        text->hide();
    }
    m_deliveryAttention->hide();
    setDeliveryPrimaryHidden(true);
}

void SupervisionHome::setDeliveryPrimaryHidden(bool hidden) {
    m_deliveryPrimary->setHidden(hidden);
    m_deliveryPrimaryRow->setHidden(hidden && m_originalSessionButton->isHidden());
}

void SupervisionHome::setRunControlsHidden(bool hidden) {
    m_deliveryControls->setHidden(hidden);
}

void SupervisionHome::setDetailsOpen(bool open) {
    m_deliveryDetailsGroup->setVisible(open);
    m_deliveryDetailsToggle->setText(open ? m_copy.text("詳細を隠す", "Hide details") : m_copy.text("詳細", "Details"));
    m_deliveryDetailsToggle->adjustSize();
}

void SupervisionHome::setAppearanceIsDark(bool dark) {
    m_themeToggle->setSymbol(dark ? Symbol::moon : Symbol::sunMax);
}

void SupervisionHome::styleAttention(bool active) {
    m_deliveryAttentionSurface->setActive(active);
    if (QLayout* inner = m_deliveryAttentionSurface->layout()) {
        inner->setContentsMargins(active ? QMargins(12, 10, 12, 10) : QMargins());
    }
    m_deliveryAttentionSurface->setHidden(m_deliveryAttention->isHidden());
    if (auto* attention = qobject_cast<ThemedLabel*>(m_deliveryAttention)) {
        attention->setColor(active ? Theme::text : Theme::secondary);
    }
    if (auto* badge = qobject_cast<RoundedBox*>(m_deliveryStateBadge)) {
        badge->setColors(active ? Theme::attentionFill : Theme::surface,
                         active ? Theme::attentionBorder : Theme::border);
    }
    if (auto* state = qobject_cast<ThemedLabel*>(m_deliveryState)) {
        state->setColor(active ? Theme::attentionInk : Theme::secondary);
    }
}

namespace {

// Host text is never read as markup; an empty line takes no room.
void showLine(QLabel* label, const QString& text) {
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setHidden(text.isEmpty());
}

} // namespace

void SupervisionHome::setSessionHeader(const QString& title, const QString& provider) {
    m_sessionHeaderTitle->setTextFormat(Qt::PlainText);
    m_sessionHeaderTitle->setText(title);
    m_sessionHeaderTitle->setToolTip(title);
    m_sessionHeaderProvider->setTextFormat(Qt::PlainText);
    m_sessionHeaderProvider->setText(provider);
}

void SupervisionHome::setHeadline(const QString& text, int maximumLines) {
    setHeadlineMaximumLines(maximumLines);
    showLine(m_deliveryHeadline, text);
}

void SupervisionHome::setHeadlineMaximumLines(int lines) {
    if (auto* headline = qobject_cast<ThemedLabel*>(m_deliveryHeadline)) {
        headline->setMaximumLines(lines);
    }
}

void SupervisionHome::setGoal(const QString& text) {
    showLine(m_deliveryGoal, text);
}

void SupervisionHome::setProgress(const QString& text) {
    showLine(m_deliveryProgress, text);
}

void SupervisionHome::setSummary(const QString& text) {
    showLine(m_deliverySummary, text);
}

void SupervisionHome::setAttention(const QString& text) {
    showLine(m_deliveryAttention, text);
    m_deliveryAttentionSurface->setHidden(text.isEmpty());
}

void SupervisionHome::setNext(const QString& text) {
    showLine(m_deliveryNext, text);
}

void SupervisionHome::setDeliveryActionMessage(const QString& text) {
    showLine(m_deliveryActionMessage, text);
}

void SupervisionHome::setBadge(const QString& text) {
    m_deliveryState->setTextFormat(Qt::PlainText);
    m_deliveryState->setText(text);
}

void SupervisionHome::setBadgeHidden(bool hidden) {
    m_deliveryStateBadge->setHidden(hidden);
}

void SupervisionHome::setSessionStatus(const QString& eyeline, bool needsYou) {
    m_sessionEyeline->setTextFormat(Qt::PlainText);
    m_sessionEyeline->setText(eyeline);
    if (auto* ink = qobject_cast<ThemedLabel*>(m_sessionEyeline)) {
        ink->setColor(needsYou ? Theme::attentionInk : Theme::secondary);
    }
    if (auto* badge = qobject_cast<RoundedBox*>(m_sessionStatusBadge)) {
        badge->setColors(needsYou ? Theme::attentionFill : Theme::surface,
                         needsYou ? Theme::attentionBorder : Theme::border);
    }
}

void SupervisionHome::setSessionStatusHidden(bool hidden) {
    m_sessionStatusBadge->setHidden(hidden);
}

void SupervisionHome::setOriginalSessionButton(bool visible, const QString& title, const QString& toolTip) {
    m_originalSessionButton->setText(title);
    m_originalSessionButton->setToolTip(toolTip);
    m_originalSessionButton->setHidden(!visible);
    m_originalSessionButton->updateGeometry();
    mirrorPrimaryRow();
}

void SupervisionHome::hideOriginalSessionButton() {
    m_originalSessionButton->hide();
    mirrorPrimaryRow();
}

void SupervisionHome::mirrorPrimaryRow() {
    setDeliveryPrimaryHidden(m_deliveryPrimary->isHidden());
}

void SupervisionHome::setStartManagedHidden(bool hidden) {
    m_startManagedButton->setHidden(hidden);
}
