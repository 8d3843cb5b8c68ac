// What the Sessions home shows when there is nothing to present, and the setters the areas draw through.
#include "sessions/SupervisionHome.h"

#include "sessions/OriginalConversation.h"
#include "ui/Builders.h"
#include "ui/Copy.h"
#include "ui/FlatButtons.h"
#include "ui/Surfaces.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"
#include "ui/ThemedLabel.h"

#include <QComboBox>
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
    m_deliveryDetailsToggle->setText(open ? m_copy.text("詳細を閉じる", "Hide details")
                                          : m_copy.text("詳細", "Details"));
    m_deliveryDetailsToggle->adjustSize();
}

void SupervisionHome::setSettingsOpen(bool open) {
    m_deliverySettingsGroup->setVisible(open);
    m_deliverySettingsToggle->setText(open ? m_copy.text("設定を閉じる", "Hide settings")
                                           : m_copy.text("設定", "Settings"));
    m_deliverySettingsToggle->adjustSize();
}

void SupervisionHome::setPreviewBadgeVisible(bool visible) {
    m_deliveryPreviewBadge->setVisible(visible);
}

void SupervisionHome::setRunHeadline(const QString& text) {
    m_deliveryHeadline->setText(text);
    m_deliveryHeadline->show();
}

void SupervisionHome::setStateBadge(const QString& text) {
    m_deliveryState->setText(text);
    m_deliveryStateBadge->show();
}

void SupervisionHome::setGoal(const QString& text, bool visible) {
    m_deliveryGoal->setText(text);
    m_deliveryGoal->setVisible(visible);
}

void SupervisionHome::setProgress(const QString& text, bool visible) {
    m_deliveryProgress->setText(text);
    m_deliveryProgress->setVisible(visible);
}

void SupervisionHome::setSummary(const QString& text, bool visible) {
    m_deliverySummary->setText(text);
    m_deliverySummary->setVisible(visible);
}

void SupervisionHome::setAttention(const QString& text, bool visible) {
    m_deliveryAttention->setText(text);
    m_deliveryAttention->setVisible(visible);
}

void SupervisionHome::setNext(const QString& text, bool visible) {
    m_deliveryNext->setText(text);
    m_deliveryNext->setVisible(visible);
}

bool SupervisionHome::nextHidden() const {
    return m_deliveryNext->isHidden();
}

void SupervisionHome::setDeliveryPrimary(const QString& title, bool enabled, bool attention) {
    m_deliveryPrimary->setText(title);
    m_deliveryPrimary->setEnabled(enabled);
    tintPrimaryTitle(m_deliveryPrimary, attention);
    m_deliveryPrimary->updateGeometry();
}

bool SupervisionHome::deliveryPrimaryHidden() const {
    return m_deliveryPrimary->isHidden();
}

void SupervisionHome::setOriginalNavigation(const OriginalNavigationButton& button) {
    m_originalSessionButton->setText(button.title);
    m_originalSessionButton->setToolTip(button.toolTip);
    m_originalSessionButton->setVisible(button.visible);
    m_originalSessionButton->updateGeometry();
    m_deliveryPrimaryRow->setHidden(m_deliveryPrimary->isHidden() && m_originalSessionButton->isHidden());
}

void SupervisionHome::hideOriginalSessionButton() {
    m_originalSessionButton->hide();
    setDeliveryPrimaryHidden(m_deliveryPrimary->isHidden());
}

void SupervisionHome::setActionMessage(const QString& text) {
    m_deliveryActionMessage->setText(text);
}

QString SupervisionHome::actionMessage() const {
    return m_deliveryActionMessage->text();
}

QPushButton* SupervisionHome::runControlButton(RunControl control) const {
    switch (control) {
    case RunControl::primary:
        return m_deliveryPrimary;
    case RunControl::pause:
        return m_deliveryPause;
    case RunControl::resume:
        return m_deliveryResume;
    case RunControl::approve:
        return m_deliveryApprove;
    case RunControl::reject:
        return m_deliveryReject;
    case RunControl::replan:
        return m_deliveryReplan;
    case RunControl::stop:
        return m_deliveryStop;
    case RunControl::policyApply:
        return m_deliveryPolicyApply;
    case RunControl::verify:
        return m_deliveryVerify;
    case RunControl::detailsToggle:
        return m_deliveryDetailsToggle;
    case RunControl::settingsToggle:
        return m_deliverySettingsToggle;
    }
    return nullptr;
}

void SupervisionHome::setRunControl(RunControl control, bool enabled, bool visible) {
    QPushButton* button = runControlButton(control);
    button->setEnabled(enabled);
    button->setVisible(visible);
}

void SupervisionHome::setRunControlEnabled(RunControl control, bool enabled) {
    runControlButton(control)->setEnabled(enabled);
}

void SupervisionHome::setReplanTint(bool attention) {
    if (auto* replan = qobject_cast<FlatOutlineButton*>(m_deliveryReplan)) {
        replan->setTint(attention ? Theme::attentionInk : Theme::secondary);
    }
}

void SupervisionHome::setPolicyControls(bool pickerEnabled, const std::optional<QString>& selection,
                                        bool applyEnabled) {
    m_deliveryPolicyPicker->setEnabled(pickerEnabled);
    m_deliveryPolicyPicker->setCurrentIndex(selection ? m_deliveryPolicyPicker->findData(*selection) : -1);
    m_deliveryPolicyApply->setEnabled(applyEnabled);
}

std::optional<QString> SupervisionHome::pickedPolicy() const {
    if (m_deliveryPolicyPicker->currentIndex() < 0) {
        return std::nullopt;
    }
    return m_deliveryPolicyPicker->currentData().toString();
}

void SupervisionHome::setCriteria(const QStringList& titles, qsizetype index, bool visible) {
    const QSignalBlocker quiet(m_deliveryCriterionPicker);
    m_deliveryCriterionPicker->clear();
    m_deliveryCriterionPicker->addItems(titles);
    m_deliveryCriterionPicker->setCurrentIndex(index >= 0 && index < titles.size() ? static_cast<int>(index) : -1);
    m_deliveryCriterionPicker->setVisible(visible);
}

qsizetype SupervisionHome::criterionIndex() const {
    return m_deliveryCriterionPicker->currentIndex();
}

void SupervisionHome::setDetailsTab(int index) {
    for (qsizetype tab = 0; tab < m_deliveryTabs.size(); ++tab) {
        if (auto* button = qobject_cast<DetailsTabButton*>(m_deliveryTabs.at(tab))) {
            button->setSelected(tab == index || (tab == 0 && (index < 1 || index > 2)));
        }
    }
}

void SupervisionHome::setDetailsTabsVisible(bool visible) {
    m_deliveryTabButtons->setVisible(visible);
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

void SupervisionHome::mirrorPrimaryRow() {
    setDeliveryPrimaryHidden(m_deliveryPrimary->isHidden());
}

void SupervisionHome::setStartManagedHidden(bool hidden) {
    m_startManagedButton->setHidden(hidden);
}
