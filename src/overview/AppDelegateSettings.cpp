// The connection-and-settings sheet: three tabs chosen by a segmented control, cards of status rows and buttons,
// and the commands behind them.
#include "app/AppDelegate.h"

#include "overview/OverviewDecisions.h"
#include "platform/Platform.h"
#include "ui/FlatButtons.h"
#include "ui/SegmentedControl.h"
#include "ui/StatusPanel.h"
#include "ui/StatusRow.h"
#include "ui/Surfaces.h"
#include "ui/Theme.h"
#include "ui/ThemedLabel.h"
#include "ui/ViewFactory.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QScrollArea>
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

} // namespace

void AppDelegate::buildStatusPanel() {
    auto* panel = named(new StatusPanel(window), "statusPanel");
    panel->setWindowTitle(copy.text("接続状態と設定", "Connection & settings"));
    panel->setCloseHandler([this] { closeStatusPanel(); });
    statusPanel = panel;
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* header = new QWidget(panel);
    auto* headerColumn = new QVBoxLayout(header);
    headerColumn->setContentsMargins(16, 20, 16, 12);
    headerColumn->setSpacing(4);
    auto* title = themedLabel(header, "statusPanelTitle", Theme::text, 18, QFont::DemiBold, false);
    title->setText(copy.text("接続状態と設定", "Connection & settings"));
    auto* subtitle = themedLabel(header, "statusPanelSubtitle", Theme::secondary, 13);
    subtitle->setText(copy.text("アカウント、AI アプリ、自動継続の設定を管理します。",
                                "Manage your account, AI apps, and task continuation."));
    settingsNavigation = named(new SegmentedControl({copy.text("接続", "Connection"), QStringLiteral("Dozadavi Zaro"),
                                                     copy.text("アプリと更新", "App & updates")},
                                                    header),
                               "settingsNavigation");
    settingsNavigation->setAccessibleName(copy.text("設定カテゴリー", "Settings category"));
    settingsNavigation->setCurrentIndex(0);
    connect(settingsNavigation, &SegmentedControl::activated, this, [this](int index) { selectSettingsTab(index); });
    headerColumn->addWidget(title);
    headerColumn->addWidget(subtitle);
    headerColumn->addSpacing(12);
    headerColumn->addWidget(settingsNavigation);
    column->addWidget(header);

    settingsTabs = named(new QStackedWidget(panel), "settingsTabs");
    column->addWidget(settingsTabs, 1);
    const auto addTab = [this](const char* name, const QList<QWidget*>& groups) {
        SettingsStack* stack = settingsStack(groups, 16);
        stack->setObjectName(QString::fromLatin1(name));
        stack->column()->setContentsMargins(16, 16, 16, 16);
        settingsTabs->addWidget(clearScrollArea(settingsTabs, stack));
    };

    // Connection.
    accountRow = named(new StatusRow(copy.text("アカウント", "Account")), "accountRow");
    connectionRow = named(new StatusRow(copy.text("接続", "Connection")), "connectionRow");
    codexRow = named(new StatusRow(QStringLiteral("Codex")), "codexRow");
    claudeRow = named(new StatusRow(QStringLiteral("Claude Code")), "claudeRow");
    connect(accountRow->action(), &QPushButton::clicked, this, [this] { signIn(); });
    connect(connectionRow->action(), &QPushButton::clicked, this, [this] { reconnect(); });
    connect(codexRow->action(), &QPushButton::clicked, this, [this] { codexLogin(); });
    connect(claudeRow->action(), &QPushButton::clicked, this, [this] { claudeLogin(); });
    auto* service = themedLabel(nullptr, "serviceLabel", Theme::text, 13, QFont::Normal, false);
    service->setElideMode(Qt::ElideMiddle);
    service->setTextInteractionFlags(Qt::TextSelectableByMouse);
    serviceLabel = service;
    lastSuccessLabel = themedLabel(nullptr, "lastSuccessLabel", Theme::secondary, 12);
    copyButton = named(new FlatOutlineButton(copy.text("URL をコピー", "Copy URL")), "copyButton");
    refreshButton = named(new FlatOutlineButton(copy.text("更新", "Refresh")), "refreshButton");
    connect(copyButton, &QPushButton::clicked, this, [this] { copyWebURL(); });
    connect(refreshButton, &QPushButton::clicked, this, [this] { refresh(); });
    addTab("connectionTab", {settingsStack({accountRow, connectionRow}, 8),
                             settingsCard(copy.text("AI アプリ", "AI apps"), {settingsStack({codexRow, claudeRow}, 8)}),
                             settingsCard(copy.text("ワークスペース", "Workspace"),
                                          {serviceLabel, lastSuccessLabel, buttonRow({copyButton, refreshButton})})});

    // Dozadavi Zaro.
    deliveryPicker = named(new QComboBox(), "deliveryPicker");
    deliveryPicker->hide(); // shown by the run list once there are runs
    pluginSetupLabel = themedLabel(nullptr, "pluginSetupLabel", Theme::secondary, 12);
    pluginSetupLabel->setText(copy.text("プラグインの準備状態を確認中…", "Checking plugin setup…"));
    pluginSetupButton =
        named(new FlatOutlineButton(copy.text("プラグインをインストール／更新", "Install / update plugins")),
              "pluginSetupButton");
    connect(pluginSetupButton, &QPushButton::clicked, this, [this] { installPlugins(); });
    auto* hooksNote = themedLabel(nullptr, "hooksNote", Theme::secondary, 12);
    hooksNote->setText(copy.text("各アプリで VODU を有効にし、/hooks で許可してください。",
                                 "Enable VODU in each app, then review its permissions in /hooks."));
    codexHookLabel = themedLabel(nullptr, "codexHookLabel", Theme::text, 13);
    codexHookLabel->setText(copy.text("Codex: 状態を確認中…", "Codex: checking status…"));
    claudeHookLabel = themedLabel(nullptr, "claudeHookLabel", Theme::text, 13);
    claudeHookLabel->setText(copy.text("Claude Code: 状態を確認中…", "Claude Code: checking status…"));
    auto* codexHooks =
        named(new FlatOutlineButton(copy.text("Codex 設定を開く", "Open Codex settings")), "codexHooksButton");
    auto* claudeHooks = named(new FlatOutlineButton(copy.text("Claude Code の設定手順", "Claude Code setup guide")),
                              "claudeHooksButton");
    connect(codexHooks, &QPushButton::clicked, this, [this] { openCodexHooks(); });
    connect(claudeHooks, &QPushButton::clicked, this, [this] { openClaudeHooks(); });
    hookLabel = themedLabel(nullptr, "hookLabel", Theme::secondary, 12);
    hookLabel->setText(copy.text("まだ開始されていません。", "No Dozadavi Zaro started yet."));
    addTab("deliveryTab", {deliveryPicker,
                           settingsCard(copy.text("1. プラグインを準備", "1. Prepare plugins"),
                                        {pluginSetupLabel, buttonRow({pluginSetupButton})}),
                           settingsCard(copy.text("2. hooks を確認・許可", "2. Review and allow hooks"),
                                        {hooksNote, codexHookLabel, claudeHookLabel,
                                         buttonRow({codexHooks, claudeHooks}), hookLabel})});

    // App & updates.
    auto* updateRow = new QWidget();
    auto* updateLayout = new QHBoxLayout(updateRow);
    updateLayout->setContentsMargins(0, 0, 0, 0);
    updateLayout->setSpacing(10);
    updateDot = named(new ThemedLabel(Theme::tertiaryLabel, updateRow), "updateDot");
    updateDot->setText(QStringLiteral("●"));
    updateDot->setSystemFont(9, QFont::Bold);
    updateDot->setFixedWidth(12);
    updateDot->setAlignment(Qt::AlignCenter);
    updateLabel = themedLabel(updateRow, "updateLabel", Theme::text, 13);
    updateButton = named(new FlatOutlineButton({}, updateRow), "updateButton");
    updateLayout->addWidget(updateDot);
    updateLayout->addWidget(updateLabel, 1);
    updateLayout->addWidget(updateButton, 0, Qt::AlignVCenter);
    auto* tagline = themedLabel(nullptr, "appTagline", Theme::text, 13);
    tagline->setText(copy.text("ローカル AI ワークスペース", "Local AI workspace"));
    versionLabel = themedLabel(nullptr, "versionLabel", Theme::secondary, 12);
    addTab("appTab", {settingsCard(copy.text("アップデート", "Updates"), {updateRow}),
                      settingsCard(QStringLiteral("VODU"), {tagline, versionLabel})});

    auto* actions = new QHBoxLayout();
    actions->setContentsMargins(16, 8, 16, 16);
    actions->addStretch(1);
    auto* done = named(new SolidActionButton(copy.text("閉じる", "Done"), panel), "statusPanelDone");
    done->setDefault(true);
    done->setAutoDefault(true);
    done->setMinimumWidth(88);
    connect(done, &QPushButton::clicked, this, [this] { closeStatusPanel(); });
    actions->addWidget(done);
    column->addLayout(actions);
    selectSettingsTab(0);
}

void AppDelegate::selectSettingsTab(int index) {
    if (index < 0 || index >= settingsTabs->count()) {
        return;
    }
    settingsNavigation->setCurrentIndex(index);
    settingsTabs->setCurrentIndex(index);
}

void AppDelegate::installPlugins() {
    pluginSetupButton->setEnabled(false);
    pluginSetupLabel->setText(copy.text("プラグインを準備中…", "Preparing plugins…"));
    const QPointer<AppDelegate> self(this);
    // The outcome is told in the setup label, not the footer.
    send(QStringLiteral("install_plugins"), false, std::nullopt, {}, [self](bool ok, const std::optional<QString>&) {
        if (!self) {
            return;
        }
        self->pluginSetupButton->setEnabled(true);
        if (!ok) {
            self->pluginSetupLabel->setText(self->copy.text("準備を完了できませんでした。もう一度お試しください。",
                                                            "Setup could not finish. Try again."));
        }
    });
}

bool AppDelegate::sheetIsAttached() const {
    if (!window) {
        return false;
    }
    // Any window-modal dialog on the main window counts: the settings panel, an alert, another sheet.
    for (const QDialog* dialog : window->findChildren<QDialog*>(Qt::FindDirectChildrenOnly)) {
        if (dialog->isVisible() && dialog->windowModality() != Qt::NonModal) {
            return true;
        }
    }
    return false;
}

void AppDelegate::showStatusPanel() {
    showWindow();
    if (!statusPanel || sheetIsAttached()) {
        return;
    }
    statusPanel->resize(600, statusPanelHeight(platform().screenVisibleHeight(window)));
    statusPanel->open();
}

void AppDelegate::closeStatusPanel() {
    if (statusPanel) {
        statusPanel->done(QDialog::Rejected);
    }
}
