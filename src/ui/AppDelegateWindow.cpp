// Building the main window and the settings panel once; afterwards views are only updated.
#include "app/AppDelegate.h"

#include "ui/ConnectionButton.h"
#include "ui/MainWindow.h"
#include "ui/StatusRow.h"
#include "ui/Theme.h"
#include "ui/ThemedLabel.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

template <typename View>
View* named(View* view, const char* name) {
    view->setObjectName(QString::fromLatin1(name));
    return view;
}

QLabel* wrappingLabel(const char* name, QWidget* parent) {
    auto* label = named(new QLabel(parent), name);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

void AppDelegate::buildWindow() {
    auto* mainWindow = new MainWindow([this] { return windowShouldClose(); });
    mainWindow->setObjectName(QStringLiteral("window"));
    mainWindow->setWindowTitle(QStringLiteral("VODU"));
    mainWindow->resize(1040, 740);
    mainWindow->setMinimumSize(820, 600);
    window = mainWindow;
    setWindowAppearance(mainWindow, systemAppearance());

    auto* central = new QWidget(mainWindow);
    auto* columns = new QHBoxLayout(central);
    columns->setContentsMargins(0, 0, 0, 0);

    auto* sidebar = named(new QWidget(central), "sidebar");
    sidebar->setFixedWidth(260);
    auto* sidebarColumn = new QVBoxLayout(sidebar);
    sidebarColumn->setContentsMargins(16, 24, 16, 16);
    auto* identity = new QLabel(QStringLiteral("VODU"), sidebar);
    QFont identityFont = identity->font();
    identityFont.setPointSizeF(14);
    identityFont.setWeight(QFont::DemiBold);
    identity->setFont(identityFont);
    sidebarColumn->addWidget(identity);
    sidebarColumn->addWidget(buildTaskList(sidebar), 1);
    connectionSummary = named(new ConnectionButton(sidebar), "connectionSummary");
    connectionSummary->setText(copy.text("接続を確認中…", "Checking connection…"));
    connectionSummary->setAccessibleName(copy.text("接続状態と設定を開く", "Open connection status and settings"));
    connect(connectionSummary, &QAbstractButton::clicked, this, [this] {
        if (statusPanel) {
            statusPanel->open();
        }
    });
    sidebarColumn->addWidget(connectionSummary);
    columns->addWidget(sidebar);

    auto* content = new QWidget(central);
    auto* contentColumn = new QVBoxLayout(content);
    contentColumn->setContentsMargins(24, 24, 24, 24);
    auto* home = named(new QWidget(content), "deliveryHome");
    buildDeliveryHome(home);
    contentColumn->addWidget(home);
    tasksLabel = named(new QLabel(content), "tasksLabel");
    contentColumn->addWidget(tasksLabel);
    taskDetailHeading = named(new QWidget(content), "taskDetailHeading");
    auto* heading = new QHBoxLayout(taskDetailHeading);
    heading->setContentsMargins(0, 0, 0, 0);
    auto* titles = new QVBoxLayout();
    taskTitle = wrappingLabel("taskTitle", taskDetailHeading);
    taskState = wrappingLabel("taskState", taskDetailHeading);
    titles->addWidget(taskTitle);
    titles->addWidget(taskState);
    heading->addLayout(titles, 1);
    webButton = named(new QPushButton(copy.text("ワークスペースを開く", "Open workspace"), taskDetailHeading), "webButton");
    connect(webButton, &QPushButton::clicked, this, [this] { openWeb(); });
    heading->addWidget(webButton, 0, Qt::AlignTop);
    contentColumn->addWidget(taskDetailHeading);
    contentColumn->addWidget(buildTaskDetail(content), 1);
    auto* taskFooter = named(new QWidget(content), "taskFooter");
    auto* footerRow = new QHBoxLayout(taskFooter);
    footerRow->setContentsMargins(0, 0, 0, 0);
    footer = named(new ThemedLabel(Theme::secondary, taskFooter), "footer");
    footer->setWordWrap(true);
    footerRow->addWidget(footer, 1);
    stopConflictButton =
        named(new QPushButton(copy.text("既存の VODU を停止…", "Stop existing VODU…"), taskFooter), "stopConflictButton");
    stopConflictButton->hide();
    footerRow->addWidget(stopConflictButton);
    contentColumn->addWidget(taskFooter);
    columns->addWidget(content, 1);

    mainWindow->setCentralWidget(central);
    buildStatusPanel();
    renderWaiting();
}

void AppDelegate::buildDeliveryHome(QWidget* home) {
    auto* column = new QVBoxLayout(home);
    column->setContentsMargins(0, 0, 0, 0);
    deliveryState = named(new ThemedLabel(Theme::secondary, home), "deliveryState");
    deliveryHeadline = wrappingLabel("deliveryHeadline", home);
    QFont headlineFont = deliveryHeadline->font();
    headlineFont.setPointSizeF(20);
    headlineFont.setWeight(QFont::DemiBold);
    deliveryHeadline->setFont(headlineFont);
    deliveryGoal = wrappingLabel("deliveryGoal", home);
    deliveryAttention = wrappingLabel("deliveryAttention", home);
    deliveryAttention->hide();
    deliveryNext = wrappingLabel("deliveryNext", home);
    deliveryPrimaryRow = named(new QWidget(home), "deliveryPrimaryRow");
    auto* primaryRow = new QHBoxLayout(deliveryPrimaryRow);
    primaryRow->setContentsMargins(0, 0, 0, 0);
    deliveryPrimary = named(new QPushButton(deliveryPrimaryRow), "deliveryPrimary");
    deliveryPrimary->hide();
    originalSessionButton = named(new QPushButton(deliveryPrimaryRow), "originalSessionButton");
    originalSessionButton->hide();
    primaryRow->addWidget(deliveryPrimary);
    primaryRow->addWidget(originalSessionButton);
    primaryRow->addStretch(1);
    for (QWidget* view : std::initializer_list<QWidget*>{deliveryState, deliveryHeadline, deliveryGoal,
                                                         deliveryAttention, deliveryNext, deliveryPrimaryRow}) {
        column->addWidget(view);
    }
}

void AppDelegate::buildStatusPanel() {
    auto* panel = named(new QDialog(window), "statusPanel");
    panel->setWindowTitle(copy.text("接続状態と設定", "Connection & settings"));
    panel->setWindowModality(Qt::WindowModal);
    panel->resize(600, 600);
    panel->setMinimumSize(540, 420);
    statusPanel = panel;
    auto* column = new QVBoxLayout(panel);
    auto* tabs = named(new QTabWidget(panel), "settingsTabs");
    column->addWidget(tabs, 1);

    auto* connectionTab = new QWidget(tabs);
    auto* connectionColumn = new QVBoxLayout(connectionTab);
    accountRow = named(new StatusRow(copy.text("アカウント", "Account"), connectionTab), "accountRow");
    connectionRow = named(new StatusRow(copy.text("接続", "Connection"), connectionTab), "connectionRow");
    codexRow = named(new StatusRow(QStringLiteral("Codex"), connectionTab), "codexRow");
    claudeRow = named(new StatusRow(QStringLiteral("Claude Code"), connectionTab), "claudeRow");
    connect(accountRow->action(), &QPushButton::clicked, this, [this] { signIn(); });
    connect(connectionRow->action(), &QPushButton::clicked, this, [this] { reconnect(); });
    connect(codexRow->action(), &QPushButton::clicked, this, [this] { codexLogin(); });
    connect(claudeRow->action(), &QPushButton::clicked, this, [this] { claudeLogin(); });
    serviceLabel = named(new QLabel(connectionTab), "serviceLabel");
    serviceLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lastSuccessLabel = named(new ThemedLabel(Theme::secondary, connectionTab), "lastSuccessLabel");
    auto* addressButtons = new QHBoxLayout();
    copyButton = named(new QPushButton(copy.text("URL をコピー", "Copy URL"), connectionTab), "copyButton");
    refreshButton = named(new QPushButton(copy.text("更新", "Refresh"), connectionTab), "refreshButton");
    connect(copyButton, &QPushButton::clicked, this, [this] { copyWebURL(); });
    connect(refreshButton, &QPushButton::clicked, this, [this] { refresh(); });
    addressButtons->addWidget(copyButton);
    addressButtons->addWidget(refreshButton);
    addressButtons->addStretch(1);
    for (QWidget* view : std::initializer_list<QWidget*>{accountRow, connectionRow, codexRow, claudeRow, serviceLabel,
                                                         lastSuccessLabel}) {
        connectionColumn->addWidget(view);
    }
    connectionColumn->addLayout(addressButtons);
    connectionColumn->addStretch(1);
    tabs->addTab(connectionTab, copy.text("接続", "Connection"));

    auto* deliveryTab = new QWidget(tabs);
    auto* deliveryColumn = new QVBoxLayout(deliveryTab);
    pluginSetupLabel = wrappingLabel("pluginSetupLabel", deliveryTab);
    pluginSetupLabel->setText(copy.text("プラグインの準備状態を確認中…", "Checking plugin setup…"));
    pluginSetupButton = named(
        new QPushButton(copy.text("プラグインをインストール／更新", "Install / update plugins"), deliveryTab),
        "pluginSetupButton");
    codexHookLabel = wrappingLabel("codexHookLabel", deliveryTab);
    codexHookLabel->setText(copy.text("Codex: 状態を確認中…", "Codex: checking status…"));
    claudeHookLabel = wrappingLabel("claudeHookLabel", deliveryTab);
    claudeHookLabel->setText(copy.text("Claude Code: 状態を確認中…", "Claude Code: checking status…"));
    hookLabel = wrappingLabel("hookLabel", deliveryTab);
    hookLabel->setText(copy.text("まだ開始されていません。", "No Dozadavi Zaro started yet."));
    for (QWidget* view : std::initializer_list<QWidget*>{pluginSetupLabel, pluginSetupButton, codexHookLabel,
                                                         claudeHookLabel, hookLabel}) {
        deliveryColumn->addWidget(view);
    }
    deliveryColumn->addStretch(1);
    tabs->addTab(deliveryTab, QStringLiteral("Dozadavi Zaro"));

    auto* appTab = new QWidget(tabs);
    auto* appColumn = new QVBoxLayout(appTab);
    auto* updateRow = new QHBoxLayout();
    updateDot = named(new ThemedLabel(Theme::tertiaryLabel, appTab), "updateDot");
    updateDot->setText(QStringLiteral("●"));
    updateLabel = wrappingLabel("updateLabel", appTab);
    updateButton = named(new QPushButton(appTab), "updateButton");
    updateRow->addWidget(updateDot);
    updateRow->addWidget(updateLabel, 1);
    updateRow->addWidget(updateButton);
    appColumn->addLayout(updateRow);
    versionLabel = wrappingLabel("versionLabel", appTab);
    appColumn->addWidget(versionLabel);
    appColumn->addStretch(1);
    tabs->addTab(appTab, copy.text("アプリと更新", "App & updates"));

    auto* buttons = new QDialogButtonBox(panel);
    QPushButton* done = buttons->addButton(copy.text("閉じる", "Done"), QDialogButtonBox::AcceptRole);
    done->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, panel, &QDialog::accept);
    column->addWidget(buttons);
}
