// The one writer of the Sessions home's views: a `HomeView` drawn view by view.
#include "sessions/home/SupervisionHome.h"

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
#include <QSignalBlocker>

namespace {

// Host text is never read as markup (the labels are built as plain text); a hidden line keeps its text.
void showLine(QLabel* label, const HomeLine& line) {
    label->setText(line.text);
    label->setVisible(line.visible);
}

void showButton(QPushButton* button, const HomeButton& state) {
    button->setEnabled(state.enabled);
    button->setVisible(state.visible);
}

} // namespace

void SupervisionHome::apply(const HomeView& view) {
    if (m_applied && *m_applied == view) {
        return; // a snapshot that changes nothing repaints nothing
    }
    m_sessionHeaderTitle->setText(view.headerTitle);
    m_sessionHeaderTitle->setToolTip(view.headerTitle);
    m_sessionHeaderProvider->setText(view.headerProvider);
    m_deliveryPreviewBadge->setVisible(view.previewBadgeVisible);
    applyHeadlineArea(view);
    // The run controls first: the primary row reads whether a run is presented.
    applyRunControls(view.controls);
    applyPrimaryRow(view);
    m_startManagedButton->setVisible(view.startManagedVisible);
    showLine(m_deliveryActionMessage, view.feedback);
    if (auto* feedback = qobject_cast<ThemedLabel*>(m_deliveryActionMessage)) {
        feedback->setColor(view.feedbackFailure ? Theme::attentionInk : Theme::secondary);
    }
    m_applied = view;
}

void SupervisionHome::applyHeadlineArea(const HomeView& view) {
    m_deliveryState->setText(view.stateBadge);
    m_deliveryStateBadge->setVisible(view.stateBadgeVisible);
    if (view.sessionStatusVisible) {
        m_sessionEyeline->setText(view.sessionEyeline);
        if (auto* ink = qobject_cast<ThemedLabel*>(m_sessionEyeline)) {
            ink->setColor(view.sessionNeedsYou ? Theme::attentionInk : Theme::secondary);
        }
        if (auto* badge = qobject_cast<RoundedBox*>(m_sessionStatusBadge)) {
            badge->setColors(view.sessionNeedsYou ? Theme::attentionFill : Theme::surface,
                             view.sessionNeedsYou ? Theme::attentionBorder : Theme::border);
        }
    }
    m_sessionStatusBadge->setVisible(view.sessionStatusVisible);
    if (auto* headline = qobject_cast<ThemedLabel*>(m_deliveryHeadline)) {
        headline->setMaximumLines(view.headlineLines);
    }
    showLine(m_deliveryHeadline, view.headline);
    showLine(m_deliveryGoal, view.goal);
    showLine(m_deliveryProgress, view.progress);
    showLine(m_deliverySummary, view.summary);
    showLine(m_deliveryAttention, view.attention);
    showLine(m_deliveryNext, view.next);
    styleAttention(view.attentionStyle);
}

// The primary button and the way back describe a run: without one they only hide.
void SupervisionHome::applyPrimaryRow(const HomeView& view) {
    if (view.controls.visible) {
        m_deliveryPrimary->setText(view.primary.title);
        m_deliveryPrimary->setEnabled(view.primary.enabled);
        tintPrimaryTitle(m_deliveryPrimary, view.primaryAttention);
        m_deliveryPrimary->updateGeometry();
        m_originalSessionButton->setText(view.original.title);
        m_originalSessionButton->setToolTip(view.originalToolTip);
        m_originalSessionButton->updateGeometry();
    }
    m_deliveryPrimary->setVisible(view.primary.visible);
    m_originalSessionButton->setVisible(view.original.visible);
    m_deliveryPrimaryRow->setVisible(view.primary.visible || view.original.visible);
}

void SupervisionHome::applyRunControls(const RunControlsView& controls) {
    m_deliveryDetailsGroup->setVisible(controls.visible && controls.detailsOpen);
    m_deliveryDetailsToggle->setText(controls.visible && controls.detailsOpen
                                         ? m_copy.text("詳細を閉じる", "Hide details")
                                         : m_copy.text("詳細", "Details"));
    m_deliveryDetailsToggle->adjustSize();
    m_deliverySettingsGroup->setVisible(controls.visible && controls.settingsOpen);
    m_deliverySettingsToggle->setText(controls.visible && controls.settingsOpen
                                          ? m_copy.text("設定を閉じる", "Hide settings")
                                          : m_copy.text("設定", "Settings"));
    m_deliverySettingsToggle->adjustSize();
    m_deliveryControls->setVisible(controls.visible);
    if (!controls.visible) {
        return;
    }
    showButton(m_deliveryVerify, controls.verify);
    showButton(m_deliveryPause, controls.pause);
    showButton(m_deliveryResume, controls.resume);
    m_deliveryApprove->setEnabled(controls.approveEnabled);
    showButton(m_deliveryReject, controls.reject);
    showButton(m_deliveryReplan, controls.replan);
    showButton(m_deliveryStop, controls.stop);
    if (auto* replan = qobject_cast<FlatOutlineButton*>(m_deliveryReplan)) {
        replan->setTint(controls.replanAttention ? Theme::attentionInk : Theme::secondary);
    }
    m_deliveryPolicyPicker->setEnabled(controls.policyPickerEnabled);
    m_deliveryPolicyPicker->setCurrentIndex(
        controls.policySelection ? m_deliveryPolicyPicker->findData(*controls.policySelection) : -1);
    m_deliveryPolicyApply->setEnabled(controls.policyApplyEnabled);
    {
        const QSignalBlocker quiet(m_deliveryCriterionPicker);
        QStringList shown;
        for (int item = 0; item < m_deliveryCriterionPicker->count(); ++item) {
            shown.append(m_deliveryCriterionPicker->itemText(item));
        }
        if (shown != controls.criteria) {
            m_deliveryCriterionPicker->clear();
            m_deliveryCriterionPicker->addItems(controls.criteria);
        }
        const bool inRange = controls.criterionIndex >= 0 && controls.criterionIndex < controls.criteria.size();
        m_deliveryCriterionPicker->setCurrentIndex(inRange ? static_cast<int>(controls.criterionIndex) : -1);
        m_deliveryCriterionPicker->setVisible(controls.criterionPickerVisible);
    }
    m_deliveryTabButtons->setVisible(controls.detailsTabsVisible);
    for (qsizetype tab = 0; tab < m_deliveryTabs.size(); ++tab) {
        if (auto* button = qobject_cast<DetailsTabButton*>(m_deliveryTabs.at(tab))) {
            const int index = controls.detailsTab;
            button->setSelected(tab == index || (tab == 0 && (index < 1 || index > 2)));
        }
    }
}

std::optional<QString> SupervisionHome::pickedPolicy() const {
    if (m_deliveryPolicyPicker->currentIndex() < 0) {
        return std::nullopt;
    }
    return m_deliveryPolicyPicker->currentData().toString();
}

qsizetype SupervisionHome::criterionIndex() const {
    return m_deliveryCriterionPicker->currentIndex();
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
