// The main window, built once at launch: a sidebar with identity, navigation, search, the two lists and the
// connection summary, and a content area with the Sessions home and the Tasks page. Afterwards views are only
// updated, shown and hidden.
#include "app/AppDelegate.h"

#include "platform/Platform.h"
#include "ui/ConnectionButton.h"
#include "ui/FlatButtons.h"
#include "ui/MainWindow.h"
#include "ui/SearchField.h"
#include "ui/SegmentedControl.h"
#include "ui/SidebarNavButton.h"
#include "ui/Surfaces.h"
#include "ui/Theme.h"
#include "ui/ThemedLabel.h"
#include "ui/ViewFactory.h"

#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScrollArea>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// The sidebar's fixed width; the content area takes the rest.
constexpr int kSidebarWidth = 248;

// The app icon: the bundle's image when it ships one, else our drawn mark.
QPixmap identityIcon(const QString& bundleDirectory) {
    const QPixmap shipped(bundleDirectory + QStringLiteral("/Contents/Resources/VODU.png"));
    if (!shipped.isNull()) {
        QPixmap scaled = shipped.scaled(QSize(48, 48), Qt::KeepAspectRatio, Qt::SmoothTransformation);
        scaled.setDevicePixelRatio(2);
        return scaled;
    }
    return appMark(24);
}

} // namespace

void AppDelegate::buildWindow() {
    auto* mainWindow = new MainWindow([this] { return windowShouldClose(); });
    mainWindow->setObjectName(QStringLiteral("window"));
    mainWindow->setWindowTitle(QStringLiteral("VODU"));
    mainWindow->setWindowIcon(QIcon(identityIcon(platform().bundleDirectory())));
    mainWindow->resize(1040, 740);
    mainWindow->setMinimumSize(820, 600);
    window = mainWindow;
    // The window follows the desktop at start; VODU_APPEARANCE=light|dark presets it (desktops that do not report
    // their appearance, screenshots).
    Appearance appearance = systemAppearance();
    if (const std::optional<QString> preset = platform().environmentValue(QStringLiteral("VODU_APPEARANCE"))) {
        if (*preset == u"dark") {
            appearance = Appearance::dark;
        } else if (*preset == u"light") {
            appearance = Appearance::light;
        }
    }
    setWindowAppearance(mainWindow, appearance);
    mainWindow->setStyleSheet(windowStyleSheet());

    auto* central = named(new SurfaceView(mainWindow), "central");
    central->setFill(Theme::canvas);
    auto* columns = new QHBoxLayout(central);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(0);

    // ---- sidebar ----
    auto* sidebar = named(new QWidget(central), "sidebar");
    sidebar->setFixedWidth(kSidebarWidth);
    auto* sidebarColumn = new QVBoxLayout(sidebar);
    sidebarColumn->setContentsMargins(16, 24, 16, 16);
    sidebarColumn->setSpacing(0);

    auto* identity = new QHBoxLayout();
    identity->setSpacing(8);
    auto* icon = named(new QLabel(sidebar), "identityIcon");
    icon->setPixmap(identityIcon(platform().bundleDirectory()));
    icon->setFixedSize(24, 24);
    icon->setAccessibleName(QStringLiteral("VODU"));
    auto* name = themedLabel(sidebar, "identityName", Theme::text, 14, QFont::DemiBold, false);
    name->setText(QStringLiteral("VODU"));
    identity->addWidget(icon);
    identity->addWidget(name, 1);
    sidebarColumn->addLayout(identity);
    sidebarColumn->addSpacing(20);

    homeNavigation = named(new SegmentedControl({copy.text("会話", "Sessions"), copy.text("タスク", "Tasks")}, sidebar),
                           "homeNavigation");
    homeNavigation->setCurrentIndex(0);
    homeNavigation->hide(); // the page choice lives here; the sidebar buttons below are what the user clicks
    connect(homeNavigation, &SegmentedControl::activated, this, [this] { selectHome(); });
    sidebarColumn->addWidget(homeNavigation);

    sessionsNav =
        named(new SidebarNavButton(copy.text("会話", "Sessions"), Symbol::squareSplit2x2, sidebar), "sessionsNav");
    sessionsNav->setProperty("tag", 0);
    tasksNav = named(new SidebarNavButton(copy.text("タスク", "Tasks"), Symbol::checkmarkSquare, sidebar), "tasksNav");
    tasksNav->setProperty("tag", 1);
    for (SidebarNavButton* button : {sessionsNav, tasksNav}) {
        connect(button, &QPushButton::clicked, this, [this, button] { selectSidebarNav(button); });
    }
    sidebarColumn->addWidget(sessionsNav);
    sidebarColumn->addSpacing(8);
    sidebarColumn->addWidget(tasksNav);
    sidebarColumn->addSpacing(16);

    auto* search = named(new SearchField(sidebar), "sessionSearch");
    search->setPlaceholderText(copy.text("会話を検索", "Search sessions"));
    sessionSearch = search;
    sidebarColumn->addWidget(sessionSearch);

    tasksLabel = themedLabel(sidebar, "tasksLabel", Theme::secondary, 12, QFont::Medium, false);
    sidebarColumn->addWidget(tasksLabel);
    sidebarColumn->addSpacing(16);

    deliveryTable = named(new QTableView(sidebar), "deliveryTable");
    deliveryTable->setProperty("columnIdentifier", QStringLiteral("delivery"));
    deliveryTable->horizontalHeader()->hide();
    deliveryTable->verticalHeader()->hide();
    deliveryTable->horizontalHeader()->setStretchLastSection(true);
    deliveryTable->setShowGrid(false);
    deliveryTable->setFrameShape(QFrame::NoFrame);
    deliveryTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    deliveryTable->setSelectionMode(QAbstractItemView::SingleSelection);
    deliveryTable->viewport()->setAutoFillBackground(false);
    deliveryTable->setAutoFillBackground(false);
    deliveryTable->setStyleSheet(QStringLiteral("QTableView { background: transparent; }"));
    deliveryListScroll = clearScrollArea(sidebar, deliveryTable, "deliveryListScroll");
    sidebarColumn->addWidget(deliveryListScroll, 1);
    sidebarColumn->addWidget(buildTaskList(sidebar), 1);
    sidebarColumn->addSpacing(12);

    connectionSummary = named(new ConnectionButton(sidebar), "connectionSummary");
    connectionSummary->setText(copy.text("接続を確認中…", "Checking connection…"));
    connectionSummary->setAccessibleName(copy.text("接続状態と設定を開く", "Open connection status and settings"));
    connect(connectionSummary, &QAbstractButton::clicked, this, [this] { showStatusPanel(); });
    sidebarColumn->addWidget(connectionSummary);
    columns->addWidget(sidebar);

    auto* divider = named(new SurfaceView(central), "sidebarDivider");
    divider->setFill(Theme::border);
    divider->setFixedWidth(1);
    columns->addWidget(divider);

    // ---- content ----
    auto* content = named(new SurfaceView(central), "content");
    content->setFill(Theme::surface);
    auto* contentColumn = new QVBoxLayout(content);
    contentColumn->setContentsMargins(0, 0, 0, 0);
    contentColumn->setSpacing(0);

    deliveryHome = named(new QWidget(content), "deliveryHome");
    contentColumn->addWidget(deliveryHome, 1);

    // The Tasks page: heading, the detail area of the task pages, and the footer line.
    tasksPage = named(new QWidget(content), "tasksPage");
    auto* tasksColumn = new QVBoxLayout(tasksPage);
    tasksColumn->setContentsMargins(24, 24, 24, 16);
    tasksColumn->setSpacing(16);
    taskDetailHeading = named(new QWidget(tasksPage), "taskDetailHeading");
    auto* heading = new QHBoxLayout(taskDetailHeading);
    heading->setContentsMargins(0, 0, 0, 0);
    heading->setSpacing(16);
    auto* titles = new QVBoxLayout();
    titles->setSpacing(4);
    auto* title = themedLabel(taskDetailHeading, "taskTitle", Theme::text, 24, QFont::DemiBold);
    title->setMaximumLines(2);
    taskTitle = title;
    taskState = themedLabel(taskDetailHeading, "taskState", Theme::secondary, 12);
    titles->addWidget(taskTitle);
    titles->addWidget(taskState);
    heading->addLayout(titles, 1);
    auto* web = named(new FlatOutlineButton(copy.text("ワークスペースを開く", "Open workspace"), taskDetailHeading),
                      "webButton");
    web->setTrailingSymbol(Symbol::arrowUpRight);
    connect(web, &QPushButton::clicked, this, [this] { openWeb(); });
    webButton = web;
    heading->addWidget(webButton, 0, Qt::AlignTop);
    tasksColumn->addWidget(taskDetailHeading);
    tasksColumn->addWidget(buildTaskDetail(tasksPage), 1);

    taskFooter = named(new QWidget(tasksPage), "taskFooter");
    auto* footerRow = new QHBoxLayout(taskFooter);
    footerRow->setContentsMargins(0, 0, 0, 0);
    footerRow->setSpacing(12);
    footer = themedLabel(taskFooter, "footer", Theme::secondary, 12);
    footerRow->addWidget(footer, 1);
    stopConflictButton =
        named(new FlatOutlineButton(copy.text("既存の VODU を停止…", "Stop existing VODU…"), taskFooter),
              "stopConflictButton");
    stopConflictButton->hide();
    footerRow->addWidget(stopConflictButton, 0, Qt::AlignVCenter);
    tasksColumn->addWidget(taskFooter);
    contentColumn->addWidget(tasksPage, 1);
    columns->addWidget(content, 1);

    mainWindow->setCentralWidget(central);
    buildStatusPanel();
    buildDeliveryHome(deliveryHome);
    showEmptyTask();
    wireUpdateRow();
    wireConflictStop();
    renderWaiting();
    selectHome();
    startAutomationOutput();
}
