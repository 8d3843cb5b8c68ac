// The main window, built once at launch: a sidebar with identity, navigation, search, the two lists and the
// connection summary, and a content area with the Sessions home and the Tasks page. Afterwards views are only
// updated, shown and hidden.
#include "ui/WindowShell.h"

#include "context/LinkState.h"
#include "ui/Copy.h"

#include "platform/Platform.h"
#include "ui/ConnectionButton.h"
#include "ui/FlatButtons.h"
#include "ui/MainWindow.h"
#include "ui/SearchField.h"
#include "ui/SegmentedControl.h"
#include "ui/SidebarNavButton.h"
#include "ui/SidebarSplitter.h"
#include "ui/Surfaces.h"
#include "ui/Theme.h"
#include "ui/ThemedLabel.h"
#include "ui/ViewFactory.h"
#include "ui/WindowPlacement.h"

#include <QEvent>
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
constexpr int kSidebarMaximumWidth = 520;
const QString kSidebarWidthKey = QStringLiteral("window/sidebarWidth");
constexpr QSize kPreferredWindowSize{1040, 740};
constexpr QSize kMinimumWindowSize{820, 600};
const QString kWindowGeometryKey = QStringLiteral("window/geometry");

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

WindowShell::WindowShell(Platform& platform, const Copy& copy, const LinkState& link,
                         std::function<qsizetype()> sessionCount, std::function<bool()> shouldClose, QObject* parent)
    : QObject(parent), m_platform(platform), m_copy(copy), m_link(link), m_sessionCount(std::move(sessionCount)),
      m_shouldClose(std::move(shouldClose)) {}

// The window is a top-level widget; it goes with its owner.
WindowShell::~WindowShell() {
    delete m_window.data();
}

QMainWindow* WindowShell::window() const {
    return m_window;
}

void WindowShell::build(const Parts& parts) {
    auto* mainWindow = new MainWindow([this] { return m_shouldClose(); });
    mainWindow->setObjectName(QStringLiteral("window"));
    mainWindow->setWindowTitle(QStringLiteral("VODU"));
    mainWindow->setWindowIcon(QIcon(identityIcon(m_platform.bundleDirectory())));
    mainWindow->setMinimumSize(kMinimumWindowSize);
    const QVariant remembered = m_platform.storedValue(kWindowGeometryKey);
    mainWindow->setGeometry(
        placeWindow(remembered.canConvert<QRect>() ? std::optional<QRect>(remembered.toRect()) : std::nullopt,
                    m_platform.screenAreas(), kPreferredWindowSize, kMinimumWindowSize));
    mainWindow->installEventFilter(this);
    m_window = mainWindow;
    // The window follows the desktop at start; VODU_APPEARANCE=light|dark presets it (desktops that do not report
    // their appearance, screenshots).
    Appearance appearance = systemAppearance();
    if (const std::optional<QString> preset = m_platform.environmentValue(QStringLiteral("VODU_APPEARANCE"))) {
        if (*preset == u"dark") {
            appearance = Appearance::dark;
        } else if (*preset == u"light") {
            appearance = Appearance::light;
        }
    }
    setWindowAppearance(mainWindow, appearance);
    mainWindow->setStyleSheet(windowStyleSheet(appearance));

    auto* central = named(new SurfaceView(mainWindow), "central");
    central->setFill(Theme::canvas);
    auto* columns = new QHBoxLayout(central);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(0);
    auto* split = named(new SidebarSplitter(central), "sidebarSplitter");
    columns->addWidget(split);

    // ---- sidebar ----
    auto* sidebar = named(new QWidget(split), "sidebar");
    sidebar->setMinimumWidth(kSidebarWidth);
    sidebar->setMaximumWidth(kSidebarMaximumWidth);
    auto* sidebarColumn = new QVBoxLayout(sidebar);
    sidebarColumn->setContentsMargins(16, 24, 16, 16);
    sidebarColumn->setSpacing(0);

    auto* identity = new QHBoxLayout();
    identity->setSpacing(8);
    auto* icon = named(new QLabel(sidebar), "identityIcon");
    icon->setPixmap(identityIcon(m_platform.bundleDirectory()));
    icon->setFixedSize(24, 24);
    icon->setAccessibleName(QStringLiteral("VODU"));
    auto* name = themedLabel(sidebar, "identityName", Theme::text, 14, QFont::DemiBold, false);
    name->setText(QStringLiteral("VODU"));
    identity->addWidget(icon);
    identity->addWidget(name, 1);
    sidebarColumn->addLayout(identity);
    sidebarColumn->addSpacing(20);

    m_homeNavigation =
        named(new SegmentedControl({m_copy.text("会話", "Sessions"), m_copy.text("タスク", "Tasks")}, sidebar),
              "homeNavigation");
    m_homeNavigation->setCurrentIndex(0);
    m_homeNavigation->hide(); // the page choice lives here; the sidebar buttons below are what the user clicks
    connect(m_homeNavigation, &SegmentedControl::activated, this, [this] { selectHome(); });
    sidebarColumn->addWidget(m_homeNavigation);

    m_sessionsNav =
        named(new SidebarNavButton(m_copy.text("会話", "Sessions"), Symbol::squareSplit2x2, sidebar), "sessionsNav");
    m_sessionsNav->setProperty("tag", 0);
    m_tasksNav =
        named(new SidebarNavButton(m_copy.text("タスク", "Tasks"), Symbol::checkmarkSquare, sidebar), "tasksNav");
    m_tasksNav->setProperty("tag", 1);
    for (SidebarNavButton* button : {m_sessionsNav, m_tasksNav}) {
        connect(button, &QPushButton::clicked, this, [this, button] { selectSidebarNav(button); });
    }
    sidebarColumn->addWidget(m_sessionsNav);
    sidebarColumn->addSpacing(8);
    sidebarColumn->addWidget(m_tasksNav);
    sidebarColumn->addSpacing(16);

    m_sessionSearch = parts.searchField(sidebar);
    sidebarColumn->addWidget(m_sessionSearch);

    m_tasksLabel = themedLabel(sidebar, "tasksLabel", Theme::secondary, 12, QFont::Medium, false);
    sidebarColumn->addWidget(m_tasksLabel);
    sidebarColumn->addSpacing(16);

    m_deliveryListScroll = parts.sessionList(sidebar);
    sidebarColumn->addWidget(m_deliveryListScroll, 1);
    sidebarColumn->addWidget(parts.taskList(sidebar), 1);
    sidebarColumn->addSpacing(12);
    sidebarColumn->addWidget(parts.connectionSummary(sidebar));
    split->addWidget(sidebar);

    // ---- content ----
    auto* content = named(new SurfaceView(split), "content");
    content->setFill(Theme::surface);
    auto* contentColumn = new QVBoxLayout(content);
    contentColumn->setContentsMargins(0, 0, 0, 0);
    contentColumn->setSpacing(0);

    m_deliveryHome = named(new QWidget(content), "deliveryHome");
    contentColumn->addWidget(m_deliveryHome, 1);

    // The Tasks page: heading, the detail area of the task pages, and the footer line.
    m_tasksPage = named(new QWidget(content), "tasksPage");
    auto* tasksColumn = new QVBoxLayout(m_tasksPage);
    tasksColumn->setContentsMargins(24, 24, 24, 16);
    tasksColumn->setSpacing(16);
    m_taskDetailHeading = parts.taskHeading(m_tasksPage);
    if (auto* heading = qobject_cast<QBoxLayout*>(m_taskDetailHeading->layout())) {
        heading->addWidget(parts.webButton(m_taskDetailHeading), 0, Qt::AlignTop);
    }
    tasksColumn->addWidget(m_taskDetailHeading);
    tasksColumn->addWidget(parts.taskDetail(m_tasksPage), 1);

    m_taskFooter = named(new QWidget(m_tasksPage), "taskFooter");
    auto* footerRow = new QHBoxLayout(m_taskFooter);
    footerRow->setContentsMargins(0, 0, 0, 0);
    footerRow->setSpacing(12);
    m_footer = themedLabel(m_taskFooter, "footer", Theme::secondary, 12);
    footerRow->addWidget(m_footer, 1);
    footerRow->addWidget(parts.stopButton(m_taskFooter), 0, Qt::AlignVCenter);
    tasksColumn->addWidget(m_taskFooter);
    contentColumn->addWidget(m_tasksPage, 1);
    split->addWidget(content);
    split->handle(1)->setObjectName(QStringLiteral("sidebarDivider")); // after Qt named it after the content
    // The sidebar keeps the width the user gave it; the content takes what the window gains or loses.
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    const int rememberedWidth = m_platform.storedValue(kSidebarWidthKey).toInt();
    split->setSizes(
        {std::clamp(rememberedWidth > 0 ? rememberedWidth : kSidebarWidth, kSidebarWidth, kSidebarMaximumWidth),
         kPreferredWindowSize.width()});
    connect(split, &QSplitter::splitterMoved, this,
            [this, sidebar] { m_platform.storeValue(kSidebarWidthKey, sidebar->width()); });

    mainWindow->setCentralWidget(central);
}

bool WindowShell::eventFilter(QObject* watched, QEvent* event) {
    // The event type first: a window being destroyed still sends events, and reading m_window then would treat
    // the half-destroyed widget as a MainWindow.
    if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) && watched == m_window &&
        m_window->isVisible()) {
        const bool normal = !(m_window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen));
        m_platform.storeValue(kWindowGeometryKey, normal ? m_window->geometry() : m_window->normalGeometry());
    }
    return QObject::eventFilter(watched, event);
}

void WindowShell::setFooterText(const QString& text) {
    m_footerHeldUntil.reset();
    if (m_footer) {
        m_footer->setText(text);
    }
}

void WindowShell::setRoutineFooterText(const QString& text) {
    if (m_footerHeldUntil && m_platform.now() < *m_footerHeldUntil) {
        return;
    }
    setFooterText(text);
}

void WindowShell::holdFooterText() {
    // Long enough to be read; the snapshot that arrives every few seconds would otherwise replace it at once.
    m_footerHeldUntil = m_platform.now().addSecs(10);
}

QString WindowShell::footerText() const {
    return m_footer ? m_footer->text() : QString();
}
