#pragma once

#include "sessions/home/HomeView.h"

#include <QList>
#include <QObject>
#include <QStringList>

#include <optional>

class AttentionSurface;
class QComboBox;
class QLabel;
class QPushButton;
class QWidget;
class SymbolButton;
struct Copy;

// The Sessions home, built once into the content area: a header with the appearance toggle, the headline area the
// conversation view and the run share (badges, headline, goal, progress, summary, attention, next step, primary
// row, feedback line), the run controls and groups, and the conversation pane. It draws one `HomeView` at a time;
// the components below it (details sections, understanding panel, Action association, conversation pane) draw
// into the places it gives them.
class SupervisionHome final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SupervisionHome)

public:
    // The run pane's buttons, as they report a click.
    enum class RunControl {
        primary,
        pause,
        resume,
        approve,
        reject,
        replan,
        stop,
        policyApply,
        verify,
        detailsToggle,
        settingsToggle
    };

    explicit SupervisionHome(const Copy& copy, QObject* parent = nullptr);
    // Builds the views into the content area's `home`; once, at launch.
    void build(QWidget* home);

    // Draws `view`: the only writer of the pane's header, headline area, primary row, run controls and feedback
    // line. Views the value hides keep what they last showed and are not written; an unchanged value writes
    // nothing.
    void apply(const HomeView& view);

    // What the user picked in the pane's own pickers: the value behind the policy picker's item (absent when none
    // is selected) and the criterion picker's index.
    std::optional<QString> pickedPolicy() const;
    qsizetype criterionIndex() const;

    // Where the run area draws the details sections.
    QWidget* deliveryDetailsBody() const { return m_deliveryDetailsBody; }
    // Where the understanding panel and the Action association area are built, below the run controls.
    QWidget* runCompanions() const { return m_runCompanions; }
    // Where the conversation pane is built.
    QWidget* sessionPane() const { return m_sessionPane; }
    // The toggle shows the appearance one click switches to.
    void setAppearanceIsDark(bool dark);

Q_SIGNALS:
    void appearanceToggleRequested();
    void runControlClicked(SupervisionHome::RunControl control);
    // The user chose a details tab, or a policy in its picker.
    void deliveryDetailsTabChosen(int index);
    void deliveryPolicyChosen();
    // The user pressed the button to the original conversation.
    void originalSessionRequested();
    // The user asked for the provider setup of the settings sheet.
    void deliverySetupRequested();

private:
    void applyHeadlineArea(const HomeView& view);
    void applyPrimaryRow(const HomeView& view);
    void applyRunControls(const RunControlsView& controls);
    void styleAttention(bool active);

    std::optional<HomeView> m_applied;

    const Copy& m_copy;
    QLabel* m_sessionHeaderTitle = nullptr;
    QLabel* m_sessionHeaderProvider = nullptr;
    QWidget* m_sessionStatusBadge = nullptr;
    QLabel* m_sessionEyeline = nullptr;
    QWidget* m_deliveryPreviewBadge = nullptr;
    SymbolButton* m_themeToggle = nullptr;
    QWidget* m_deliveryStateBadge = nullptr;
    QLabel* m_deliveryHeadline = nullptr;
    QLabel* m_deliveryGoal = nullptr;
    QLabel* m_deliveryState = nullptr;
    QLabel* m_deliverySummary = nullptr;
    QLabel* m_deliveryProgress = nullptr;
    QLabel* m_deliveryNext = nullptr;
    AttentionSurface* m_deliveryAttentionSurface = nullptr;
    QLabel* m_deliveryAttention = nullptr;
    QPushButton* m_deliveryPrimary = nullptr;
    QWidget* m_deliveryPrimaryRow = nullptr;
    QPushButton* m_originalSessionButton = nullptr;
    QWidget* m_deliveryControls = nullptr;
    QComboBox* m_deliveryPolicyPicker = nullptr;
    QPushButton* m_deliveryPolicyApply = nullptr;
    QComboBox* m_deliveryCriterionPicker = nullptr;
    QPushButton* m_deliveryVerify = nullptr;
    QPushButton* m_deliveryPause = nullptr;
    QPushButton* m_deliveryResume = nullptr;
    QPushButton* m_deliveryApprove = nullptr;
    QPushButton* m_deliveryReject = nullptr;
    QPushButton* m_deliveryReplan = nullptr;
    QPushButton* m_deliveryStop = nullptr;
    QPushButton* m_deliveryDetailsToggle = nullptr;
    QPushButton* m_deliverySettingsToggle = nullptr;
    QWidget* m_deliveryDetailsGroup = nullptr;
    QWidget* m_deliveryTabButtons = nullptr;
    QList<QPushButton*> m_deliveryTabs;
    QWidget* m_deliveryDetailsBody = nullptr;
    QWidget* m_deliverySettingsGroup = nullptr;
    QLabel* m_deliveryActionMessage = nullptr;
    QWidget* m_runCompanions = nullptr;
    QPushButton* m_startManagedButton = nullptr;
    QWidget* m_sessionPane = nullptr;
};
