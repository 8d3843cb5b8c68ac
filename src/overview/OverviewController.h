#pragma once

#include "ui/Tone.h"

#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <optional>

class ConnectionButton;
class QAction;
class QDialog;
class QLabel;
class QMenu;
class QPushButton;
class QStackedWidget;
class QSystemTrayIcon;
class QWidget;
class SegmentedControl;
class StatusRow;
class ToggleSwitch;
struct AppContext;
struct LinkState;

// The overview of the service: the sidebar's connection summary, the workspace button, the tray item and its menu,
// and the connection-and-settings sheet with its rows. It renders the parts of a snapshot about setup, account,
// connection, providers and the summary line.
class OverviewController final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(OverviewController)

public:
    // `state` is written here for the running version only.
    OverviewController(AppContext& context, LinkState& state, QObject* parent = nullptr);
    ~OverviewController() override;

    ConnectionButton* buildConnectionSummary(QWidget* parent);
    QPushButton* buildWebButton(QWidget* parent);
    // The sheet on `window`, with the run picker and the update row placed in their tabs.
    void buildStatusPanel(QWidget* window, QWidget* deliveryPicker, QWidget* updateRow);
    void buildStatusItem();

    // Parts of one snapshot, called in the render order.
    void renderSetupAndHooks(const QJsonObject& status);
    void renderAccount(const QJsonObject& status);
    void renderSummary(const QJsonObject& status);
    // Connection states.
    void renderWaiting();
    void renderStaleSummary();
    void renderStale(const QString& message);
    void renderDisconnected(const QString& message);

    // The provider's row; `discovery` says what listing its conversations left out, if anything.
    void renderProvider(StatusRow* row, const QJsonObject& provider, const QString& label,
                        const std::optional<QString>& discovery);
    QString installedVersionText(const std::optional<QString>& running) const;
    QString lastSuccessText(const QJsonValue& timestamp) const;
    QString sampledText(const QJsonValue& timestamp) const;
    void updateMenuStatus(const QString& title);
    // A message from the tray item; false when there is no tray to show it.
    bool showTrayMessage(const QString& title, const QString& body);
    // Preview: every button that would reach the host or the web is disabled.
    void disableActionsForPreview();

    void openWeb();
    void copyWebURL();
    void showStatusPanel();
    void closeStatusPanel();
    bool sheetIsAttached() const;
    void installPlugins();
    void selectSettingsTab(int index);
    // The start-at-login switch shows whether the autostart entry is there; flipping it writes or removes it.
    void renderStartAtLogin();
    // Whether the "needs you" notifications are on, as the switch in the App tab shows it.
    void setNotificationsEnabled(bool on);
    void setStartAtLogin(bool on);

    const std::optional<QUrl>& webRoot() const { return m_webRoot; }
    const QString& hookAttentionKey() const { return m_hookAttentionKey; }
    QDialog* statusPanel() const;
    QMenu* statusMenu() const { return m_statusMenu; }
    QSystemTrayIcon* statusItem() const { return m_statusItem; }

Q_SIGNALS:
    // The user flipped the notifications switch.
    void notificationsChosen(bool on);
    void showWindowRequested();
    // A left click on the tray item: the window goes if it is shown and active, else it comes.
    void windowToggleRequested();
    void quitRequested();
    void reconnectRequested();

private:
    AppContext& m_context;
    LinkState& m_state;
    std::optional<QUrl> m_webRoot;
    QString m_hookAttentionKey;
    // The summary the account and connection rows decided on; the summary step may still replace it.
    QString m_summaryText;
    Tone m_summaryTone = Tone::neutral;

    ConnectionButton* m_connectionSummary = nullptr;
    QPushButton* m_webButton = nullptr;
    QPointer<QDialog> m_statusPanel;
    QPointer<QWidget> m_focusBeforeSettings;
    StatusRow* m_accountRow = nullptr;
    StatusRow* m_connectionRow = nullptr;
    StatusRow* m_codexRow = nullptr;
    StatusRow* m_claudeRow = nullptr;
    QLabel* m_pluginSetupLabel = nullptr;
    QPushButton* m_pluginSetupButton = nullptr;
    QPushButton* m_pluginRemoveButton = nullptr;
    QLabel* m_codexHookLabel = nullptr;
    QLabel* m_claudeHookLabel = nullptr;
    QLabel* m_hookLabel = nullptr;
    QLabel* m_versionLabel = nullptr;
    QLabel* m_serviceLabel = nullptr;
    QLabel* m_lastSuccessLabel = nullptr;
    QPushButton* m_copyButton = nullptr;
    QPushButton* m_refreshButton = nullptr;
    ToggleSwitch* m_startAtLoginSwitch = nullptr;
    ToggleSwitch* m_notificationsSwitch = nullptr;
    bool m_notificationsOn = true;
    QLabel* m_startAtLoginNote = nullptr;
    SegmentedControl* m_settingsNavigation = nullptr;
    QStackedWidget* m_settingsTabs = nullptr;
    QMenu* m_statusMenu = nullptr;
    QAction* m_menuStatus = nullptr;
    QSystemTrayIcon* m_statusItem = nullptr;
};
