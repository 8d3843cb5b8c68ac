// The connection-and-settings sheet: three tabs chosen by a segmented control, cards of status rows and buttons,
// and the commands behind them.
#include "overview/OverviewController.h"

#include "context/AppContext.h"
#include "ui/Copy.h"

#include "overview/AutostartEntry.h"
#include "overview/OverviewDecisions.h"
#include "platform/Platform.h"
#include "ui/Builders.h"
#include "ui/FlatButtons.h"
#include "ui/SegmentedControl.h"
#include "ui/StatusPanel.h"
#include "ui/StatusRow.h"
#include "ui/Surfaces.h"
#include "ui/Theme.h"
#include "ui/ThemedLabel.h"
#include "ui/ToggleSwitch.h"
#include "ui/ViewFactory.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QScrollArea>
#include <QSizeGrip>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

// A row of buttons at their natural widths, leading-aligned.
QWidget* buttonRow(const QList<QPushButton*>& buttons) {
    auto* row = new QWidget();
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 2, 0, 0);
    layout->setSpacing(8);
    for (QPushButton* button : buttons) {
        button->setParent(row);
        layout->addWidget(button);
    }
    layout->addStretch(1);
    return row;
}

// A setting that is on or off: its title and a note on the leading side, the switch trailing.
QWidget* switchRow(QLabel* title, QLabel* note, QAbstractButton* control) {
    auto* row = new QWidget();
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    auto* texts = new QVBoxLayout();
    texts->setSpacing(2);
    title->setParent(row);
    note->setParent(row);
    texts->addWidget(title);
    texts->addWidget(note);
    layout->addLayout(texts, 1);
    control->setParent(row);
    layout->addWidget(control, 0, Qt::AlignVCenter);
    return row;
}

// The sheet's height with the tab at `index` shown whole: everything around the tabs plus that tab's content.
int heightShowingTab(const QWidget* panel, const QStackedWidget* tabs, int index) {
    const auto* scroll = qobject_cast<const QScrollArea*>(tabs->widget(index));
    const QLayout* column = panel->layout();
    if (!scroll || !scroll->widget() || !column) {
        return 0;
    }
    int height =
        scroll->widget()->sizeHint().height() + column->contentsMargins().top() + column->contentsMargins().bottom();
    for (int item = 0; item < column->count(); ++item) {
        if (column->itemAt(item)->widget() != tabs) {
            height += column->itemAt(item)->sizeHint().height();
        }
    }
    return height;
}

} // namespace

void OverviewController::buildStatusPanel(QWidget* window, QWidget* deliveryPicker, QWidget* updateRow) {
    auto* panel = named(new StatusPanel(window), "statusPanel");
    panel->setWindowTitle(m_context.copy.text("接続状態と設定", "Connection & settings"));
    panel->setCloseHandler([this] { closeStatusPanel(); });
    for (QSizeGrip* grip : panel->findChildren<QSizeGrip*>()) {
        grip->setAccessibleName(m_context.copy.text("サイズを変更", "Resize"));
    }
    m_statusPanel = panel;
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* header = new QWidget(panel);
    auto* headerColumn = new QVBoxLayout(header);
    headerColumn->setContentsMargins(16, 20, 16, 12);
    headerColumn->setSpacing(4);
    auto* title = themedLabel(header, "statusPanelTitle", Theme::text, 18, QFont::DemiBold, false);
    title->setText(m_context.copy.text("接続状態と設定", "Connection & settings"));
    auto* subtitle = themedLabel(header, "statusPanelSubtitle", Theme::secondary, 13);
    subtitle->setText(m_context.copy.text("アカウント、AI アプリ、自動継続の設定を管理します。",
                                          "Manage your account, AI apps, and task continuation."));
    m_settingsNavigation =
        named(new SegmentedControl({m_context.copy.text("接続", "Connection"), QStringLiteral("Dozadavi Zaro"),
                                    m_context.copy.text("アプリと更新", "App & updates")},
                                   header),
              "settingsNavigation");
    m_settingsNavigation->setAccessibleName(m_context.copy.text("設定カテゴリー", "Settings category"));
    m_settingsNavigation->setCurrentIndex(0);
    connect(m_settingsNavigation, &SegmentedControl::activated, this, [this](int index) { selectSettingsTab(index); });
    headerColumn->addWidget(title);
    headerColumn->addWidget(subtitle);
    headerColumn->addSpacing(12);
    headerColumn->addWidget(m_settingsNavigation);
    column->addWidget(header);

    m_settingsTabs = named(new QStackedWidget(panel), "settingsTabs");
    column->addWidget(m_settingsTabs, 1);
    const auto addTab = [this](const char* name, const QList<QWidget*>& groups) {
        SettingsStack* stack = settingsStack(groups, 16);
        stack->setObjectName(QString::fromLatin1(name));
        stack->column()->setContentsMargins(16, 16, 16, 16);
        QScrollArea* page = clearScrollArea(m_settingsTabs, stack);
        page->setAccessibleName(m_settingsNavigation->titles().value(m_settingsTabs->count()));
        m_settingsTabs->addWidget(page);
    };

    // Connection.
    m_accountRow = named(new StatusRow(m_context.copy.text("アカウント", "Account")), "accountRow");
    m_connectionRow = named(new StatusRow(m_context.copy.text("接続", "Connection")), "connectionRow");
    m_codexRow = named(new StatusRow(QStringLiteral("Codex")), "codexRow");
    m_claudeRow = named(new StatusRow(QStringLiteral("Claude Code")), "claudeRow");
    connect(m_accountRow->action(), &QPushButton::clicked, this,
            [this] { runAction(m_context, QStringLiteral("login")); });
    connect(m_connectionRow->action(), &QPushButton::clicked, this, &OverviewController::reconnectRequested);
    connect(m_codexRow->action(), &QPushButton::clicked, this,
            [this] { runAction(m_context, QStringLiteral("codex_login")); });
    connect(m_claudeRow->action(), &QPushButton::clicked, this,
            [this] { runAction(m_context, QStringLiteral("claude_login")); });
    auto* service = themedLabel(nullptr, "serviceLabel", Theme::text, 13, QFont::Normal, false);
    service->setElideMode(Qt::ElideMiddle);
    service->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_serviceLabel = service;
    m_lastSuccessLabel = themedLabel(nullptr, "lastSuccessLabel", Theme::secondary, 12);
    m_copyButton = named(new FlatOutlineButton(m_context.copy.text("URL をコピー", "Copy URL")), "copyButton");
    m_refreshButton = named(new FlatOutlineButton(m_context.copy.text("更新", "Refresh")), "refreshButton");
    connect(m_copyButton, &QPushButton::clicked, this, [this] { copyWebURL(); });
    connect(m_refreshButton, &QPushButton::clicked, this, [this] { runAction(m_context, QStringLiteral("refresh")); });
    addTab("connectionTab",
           {settingsStack({m_accountRow, m_connectionRow}, 8),
            settingsCard(m_context.copy.text("AI アプリ", "AI apps"), {settingsStack({m_codexRow, m_claudeRow}, 8)}),
            settingsCard(m_context.copy.text("ワークスペース", "Workspace"),
                         {m_serviceLabel, m_lastSuccessLabel, buttonRow({m_copyButton, m_refreshButton})})});

    // Dozadavi Zaro.
    m_pluginSetupLabel = themedLabel(nullptr, "pluginSetupLabel", Theme::secondary, 12);
    m_pluginSetupLabel->setText(m_context.copy.text("プラグインの準備状態を確認中…", "Checking plugin setup…"));
    m_pluginSetupButton =
        named(new FlatOutlineButton(m_context.copy.text("プラグインをインストール／更新", "Install / update plugins")),
              "pluginSetupButton");
    connect(m_pluginSetupButton, &QPushButton::clicked, this, [this] { installPlugins(); });
    // Takes out exactly the entries the setup added to the providers' hook files.
    m_pluginRemoveButton =
        named(new FlatOutlineButton(m_context.copy.text("hooks を削除", "Remove hooks")), "pluginRemoveButton");
    m_pluginRemoveButton->setEnabled(false);
    connect(m_pluginRemoveButton, &QPushButton::clicked, this,
            [this] { runAction(m_context, QStringLiteral("remove_plugins")); });
    auto* hooksNote = themedLabel(nullptr, "hooksNote", Theme::secondary, 12);
    hooksNote->setText(m_context.copy.text("各アプリで VODU を有効にし、/hooks で許可してください。",
                                           "Enable VODU in each app, then review its permissions in /hooks."));
    m_codexHookLabel = themedLabel(nullptr, "codexHookLabel", Theme::text, 13);
    m_codexHookLabel->setText(m_context.copy.text("Codex: 状態を確認中…", "Codex: checking status…"));
    m_claudeHookLabel = themedLabel(nullptr, "claudeHookLabel", Theme::text, 13);
    m_claudeHookLabel->setText(m_context.copy.text("Claude Code: 状態を確認中…", "Claude Code: checking status…"));
    auto* codexHooks = named(new FlatOutlineButton(m_context.copy.text("Codex 設定を開く", "Open Codex settings")),
                             "codexHooksButton");
    auto* claudeHooks =
        named(new FlatOutlineButton(m_context.copy.text("Claude Code の設定手順", "Claude Code setup guide")),
              "claudeHooksButton");
    connect(codexHooks, &QPushButton::clicked, this, [this] { runAction(m_context, QStringLiteral("codex_hooks")); });
    connect(claudeHooks, &QPushButton::clicked, this, [this] { runAction(m_context, QStringLiteral("claude_hooks")); });
    m_hookLabel = themedLabel(nullptr, "hookLabel", Theme::secondary, 12);
    m_hookLabel->setText(m_context.copy.text("まだ開始されていません。", "No Dozadavi Zaro started yet."));
    addTab("deliveryTab", {deliveryPicker,
                           settingsCard(m_context.copy.text("1. プラグインを準備", "1. Prepare plugins"),
                                        {m_pluginSetupLabel, buttonRow({m_pluginSetupButton, m_pluginRemoveButton})}),
                           settingsCard(m_context.copy.text("2. hooks を確認・許可", "2. Review and allow hooks"),
                                        {hooksNote, m_codexHookLabel, m_claudeHookLabel,
                                         buttonRow({codexHooks, claudeHooks}), m_hookLabel})});

    // App & updates.
    auto* tagline = themedLabel(nullptr, "appTagline", Theme::text, 13);
    tagline->setText(m_context.copy.text("ローカル AI ワークスペース", "Local AI workspace"));
    m_versionLabel = themedLabel(nullptr, "versionLabel", Theme::secondary, 12);
    auto* startAtLoginLabel = themedLabel(nullptr, "startAtLoginLabel", Theme::text, 13);
    startAtLoginLabel->setText(m_context.copy.text("ログイン時に起動", "Start at login"));
    m_startAtLoginNote = themedLabel(nullptr, "startAtLoginNote", Theme::secondary, 12);
    m_startAtLoginSwitch = named(new ToggleSwitch(), "startAtLoginSwitch");
    m_startAtLoginSwitch->setAccessibleName(startAtLoginLabel->text());
    // `clicked`, not `toggled`: only the user's flip writes; rendering the state does not.
    connect(m_startAtLoginSwitch, &QAbstractButton::clicked, this, [this](bool on) { setStartAtLogin(on); });
    renderStartAtLogin();
    auto* notificationsLabel = themedLabel(nullptr, "notificationsLabel", Theme::text, 13);
    notificationsLabel->setText(
        m_context.copy.text("あなたを待っている会話を通知", "Notify when a conversation needs you"));
    auto* notificationsNote = themedLabel(nullptr, "notificationsNote", Theme::secondary, 12);
    notificationsNote->setText(
        m_context.copy.text("会話や管理タスクがあなたの判断を待つと、デスクトップ通知でお知らせします。",
                            "A desktop notification tells you when a conversation or managed "
                            "task stops to wait for you."));
    m_notificationsSwitch = named(new ToggleSwitch(), "notificationsSwitch");
    m_notificationsSwitch->setAccessibleName(notificationsLabel->text());
    m_notificationsSwitch->setChecked(m_notificationsOn);
    connect(m_notificationsSwitch, &QAbstractButton::clicked, this, [this](bool on) {
        m_notificationsOn = on;
        Q_EMIT notificationsChosen(on);
    });
    addTab("appTab", {settingsCard(m_context.copy.text("アップデート", "Updates"), {updateRow}),
                      settingsCard(m_context.copy.text("起動", "Startup"),
                                   {switchRow(startAtLoginLabel, m_startAtLoginNote, m_startAtLoginSwitch)}),
                      settingsCard(m_context.copy.text("通知", "Notifications"),
                                   {switchRow(notificationsLabel, notificationsNote, m_notificationsSwitch)}),
                      settingsCard(QStringLiteral("VODU"), {tagline, m_versionLabel})});

    auto* actions = new QHBoxLayout();
    actions->setContentsMargins(16, 8, 16, 16);
    actions->addStretch(1);
    auto* done = named(new SolidActionButton(m_context.copy.text("閉じる", "Done"), panel), "statusPanelDone");
    done->setDefault(true);
    done->setAutoDefault(true);
    done->setMinimumWidth(88);
    connect(done, &QPushButton::clicked, this, [this] { closeStatusPanel(); });
    actions->addWidget(done);
    column->addLayout(actions);
    selectSettingsTab(0);
}

void OverviewController::selectSettingsTab(int index) {
    if (index < 0 || index >= m_settingsTabs->count()) {
        return;
    }
    m_settingsNavigation->setCurrentIndex(index);
    m_settingsTabs->setCurrentIndex(index);
}

void OverviewController::renderStartAtLogin() {
    const std::optional<QString> path = AutostartEntry::entryPath(m_context.platform);
    m_startAtLoginSwitch->setEnabled(path.has_value());
    m_startAtLoginSwitch->setChecked(path && AutostartEntry::isEnabled(*path));
    m_startAtLoginNote->setText(path ? m_context.copy.text("ログインすると VODU がトレイで起動します。",
                                                           "VODU starts in the tray when you log in.")
                                     : m_context.copy.text("ログイン項目のフォルダーが見つかりません。",
                                                           "No folder for login items was found."));
}

void OverviewController::setNotificationsEnabled(bool on) {
    m_notificationsOn = on;
    if (m_notificationsSwitch) {
        m_notificationsSwitch->setChecked(on);
    }
}

void OverviewController::setStartAtLogin(bool on) {
    const bool applied = AutostartEntry::apply(m_context.platform, on);
    renderStartAtLogin(); // the switch shows what is on disk, whatever happened
    if (!applied) {
        m_startAtLoginNote->setText(
            m_context.copy.text("ログイン時の起動を変更できませんでした。", "Could not change start at login."));
    }
}

void OverviewController::installPlugins() {
    m_pluginSetupButton->setEnabled(false);
    m_pluginSetupLabel->setText(m_context.copy.text("プラグインを準備中…", "Preparing plugins…"));
    const QPointer<OverviewController> self(this);
    // The outcome is told in the setup label; why it failed (a hook file left alone, say) in the footer.
    m_context.commands.send(
        QStringLiteral("install_plugins"), false, std::nullopt, {},
        [self](bool ok, const std::optional<QString>& message) {
            if (!self) {
                return;
            }
            self->m_pluginSetupButton->setEnabled(true);
            if (!ok) {
                self->m_pluginSetupLabel->setText(self->m_context.copy.text(
                    "準備を完了できませんでした。もう一度お試しください。", "Setup could not finish. Try again."));
                if (message) {
                    self->m_context.feedback.setFooterText(*message);
                }
            }
        });
}

bool OverviewController::sheetIsAttached() const {
    return ::sheetIsAttached(m_context.window);
}

void OverviewController::showStatusPanel() {
    // Closing the sheet gives the focus back to the control that opened it.
    m_focusBeforeSettings = QApplication::focusWidget();
    Q_EMIT showWindowRequested();
    if (!m_statusPanel || sheetIsAttached()) {
        return;
    }
    renderStartAtLogin(); // the entry may have been changed outside the app since
    // Tall enough for the Connection tab's last buttons to show without scrolling, as far as the screen allows.
    const std::optional<int> visible = m_context.platform.screenVisibleHeight(m_context.window);
    const int whole = heightShowingTab(m_statusPanel, m_settingsTabs, 0);
    const int room = visible ? *visible - 100 : whole;
    m_statusPanel->resize(600, std::max(statusPanelHeight(visible), std::min(whole, room)));
    m_statusPanel->open();
}

void OverviewController::closeStatusPanel() {
    if (m_statusPanel) {
        m_statusPanel->done(QDialog::Rejected);
    }
    if (m_focusBeforeSettings && m_focusBeforeSettings->isVisible()) {
        m_focusBeforeSettings->setFocus(Qt::OtherFocusReason);
    }
}

QDialog* OverviewController::statusPanel() const {
    return m_statusPanel;
}
