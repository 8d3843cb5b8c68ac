#pragma once

#include <QObject>

class AttentionSurface;
class QComboBox;
class QLabel;
class QPushButton;
class QWidget;
class SymbolButton;
struct Copy;

// The Sessions home, built once into the content area: a header with the appearance toggle, the headline area the
// conversation view and the run share (badges, headline, goal, progress, summary, attention, next step, primary
// row, action message), the run controls and groups, and the conversation pane. The conversation and run areas
// draw into it through these setters and views.
class SupervisionHome final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SupervisionHome)

public:
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
    void setRunControlsHidden(bool hidden);
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
    void hideOriginalSessionButton();
    // The primary row follows the primary button again (after another area changed either of them).
    void mirrorPrimaryRow();
    // "Provider setup": offered while the service lists no conversation at all.
    void setStartManagedHidden(bool hidden);

    QWidget* sessionPane() const { return m_sessionPane; }

Q_SIGNALS:
    void appearanceToggleRequested();
    // The user pressed the button to the original conversation.
    void originalSessionRequested();
    // The user asked for the provider setup of the settings sheet.
    void deliverySetupRequested();

private:
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
    QWidget* m_deliveryDetailsBody = nullptr;
    QWidget* m_deliverySettingsGroup = nullptr;
    QLabel* m_deliveryActionMessage = nullptr;
    QPushButton* m_startManagedButton = nullptr;
    QWidget* m_sessionPane = nullptr;
};
