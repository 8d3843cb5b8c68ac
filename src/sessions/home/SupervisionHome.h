#pragma once

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
struct OriginalNavigationButton;

// The Sessions home, built once into the content area: a header with the appearance toggle, the headline area the
// conversation view and the run share (badges, headline, goal, progress, summary, attention, next step, primary
// row, action message), the run controls and groups, and the conversation pane. The conversation and run areas
// draw into it through these setters and views.
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

    // Before the first snapshot, and when no status can be had.
    void renderWaiting();
    void renderDisconnected(const QString& message);
    // The headline area without a conversation or run to present.
    void clearHeadlineArea();
    // The attention line as a tinted banner (with the state badge in the attention colours) or as plain text.
    void styleAttention(bool active);
    // The primary button hidden or shown; its row stays while the original-conversation button is shown.
    void setDeliveryPrimaryHidden(bool hidden);
    void setDetailsOpen(bool open);
    void setSettingsOpen(bool open);
    void setRunControlsHidden(bool hidden);

    // The headline area, line by line. Host text is shown as plain text.
    void setPreviewBadgeVisible(bool visible);
    // The run's headline, in as many lines as the headline may use now.
    void setRunHeadline(const QString& text);
    void setStateBadge(const QString& text);
    void setGoal(const QString& text, bool visible);
    void setProgress(const QString& text, bool visible);
    void setSummary(const QString& text, bool visible);
    void setAttention(const QString& text, bool visible);
    void setNext(const QString& text, bool visible);
    bool nextHidden() const;
    // The primary button's title, whether it may be pressed, and its attention look.
    void setDeliveryPrimary(const QString& title, bool enabled, bool attention);
    bool deliveryPrimaryHidden() const;
    // The button that leads back to the original conversation; the primary row follows it.
    void setOriginalNavigation(const OriginalNavigationButton& button);
    void hideOriginalSessionButton();
    void setActionMessage(const QString& text);
    QString actionMessage() const;

    // Run controls.
    void setRunControl(RunControl control, bool enabled, bool visible);
    void setRunControlEnabled(RunControl control, bool enabled);
    // Replan is tinted with the attention ink while it may be pressed.
    void setReplanTint(bool attention);
    // The policy picker selects `selection` (no item when absent or unknown).
    void setPolicyControls(bool pickerEnabled, const std::optional<QString>& selection, bool applyEnabled);
    // The value behind the policy picker's selected item; absent when nothing is selected.
    std::optional<QString> pickedPolicy() const;
    void setCriteria(const QStringList& titles, qsizetype index, bool visible);
    qsizetype criterionIndex() const;

    // The details group: its tab strip, the selected tab and the body the sections are drawn into.
    void setDetailsTab(int index);
    void setDetailsTabsVisible(bool visible);
    QWidget* deliveryDetailsBody() const { return m_deliveryDetailsBody; }
    // Where the understanding panel and the Action association area are built, below the run controls.
    QWidget* runCompanions() const { return m_runCompanions; }
    // The toggle shows the appearance one click switches to.
    void setAppearanceIsDark(bool dark);

    // The header: the conversation's title (also its tool tip) and its provider.
    void setSessionHeader(const QString& title, const QString& provider);
    // The lines of the headline area, as plain text; each line is hidden while empty. The headline wraps to at
    // most `maximumLines` lines.
    void setHeadline(const QString& text, int maximumLines = 1);
    // How many lines the headline may take, whoever writes its text.
    void setHeadlineMaximumLines(int lines);
    void setGoal(const QString& text);
    void setProgress(const QString& text);
    void setSummary(const QString& text);
    void setAttention(const QString& text);
    void setNext(const QString& text);
    void setDeliveryActionMessage(const QString& text);
    // The state badge's text, shown or hidden on its own.
    void setBadge(const QString& text);
    void setBadgeHidden(bool hidden);
    // The conversation view's badge: its status, in the attention colours when the user is needed.
    void setSessionStatus(const QString& eyeline, bool needsYou);
    void setSessionStatusHidden(bool hidden);
    // The button to the original conversation; the primary row stays while it or the primary button shows.
    void setOriginalSessionButton(bool visible, const QString& title, const QString& toolTip);
    // The primary row follows the primary button again (after another area changed either of them).
    void mirrorPrimaryRow();
    // "Provider setup": offered while the service lists no conversation at all.
    void setStartManagedHidden(bool hidden);

    QWidget* sessionPane() const { return m_sessionPane; }

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
    QPushButton* runControlButton(RunControl control) const;

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
