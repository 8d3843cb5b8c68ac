#pragma once

#include "context/Feedback.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>

#include <functional>

class MainWindow;
class QLabel;
class QMainWindow;
class QWidget;
class SegmentedControl;
class SidebarNavButton;
class Platform;
struct Copy;
struct LinkState;

// The main window: a sidebar with identity, navigation, search, the two lists and the connection summary, and a
// content area with the Sessions home and the Tasks page (heading, detail, footer). The areas build their own views
// into the places the shell gives them; the shell owns the page switch, the sidebar caption, the footer line, the
// appearance and the main menu.
class WindowShell final : public QObject, public Feedback {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WindowShell)

public:
    // Each builder makes its views inside the given parent and returns the one the shell places.
    using Builder = std::function<QWidget*(QWidget* parent)>;
    struct Parts {
        Builder searchField;
        Builder sessionList;
        Builder taskList;
        Builder connectionSummary;
        Builder taskHeading; // a widget whose layout is a row; the web button is appended to it
        Builder webButton;
        Builder taskDetail;
        Builder stopButton;
    };

    WindowShell(Platform& platform, const Copy& copy, const LinkState& link, std::function<qsizetype()> sessionCount,
                std::function<bool()> shouldClose, QObject* parent = nullptr);
    ~WindowShell() override;

    void build(const Parts& parts);
    void installMainMenu();

    QMainWindow* window() const;
    // The content area's place for the Sessions home.
    QWidget* homeContainer() const { return m_deliveryHome; }

    void selectSidebarNav(SidebarNavButton* button);
    // 0: Sessions, 1: Tasks.
    void selectPage(int index);
    void selectHome();
    bool sessionsShown() const;
    // The caption under the search field: the running tasks while the Tasks page is shown.
    void renderTasksCaption();
    void setCaption(const QString& text);
    // Switches light and dark; true when the window is dark now.
    bool toggleWindowAppearance();

    void setFooterText(const QString& text) override;
    QString footerText() const override;
    void setRoutineFooterText(const QString& text) override;
    void holdFooterText() override;
    // Ctrl+F: the Sessions page, with the focus in its search field.
    void focusSearch();

Q_SIGNALS:
    void showWindowRequested();
    void quitRequested();
    void refreshRequested();
    void settingsRequested();

protected:
    // Remembers where the user puts the window.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Platform& m_platform;
    const Copy& m_copy;
    const LinkState& m_link;
    std::function<qsizetype()> m_sessionCount;
    std::function<bool()> m_shouldClose;
    std::optional<QDateTime> m_footerHeldUntil;

    QPointer<MainWindow> m_window;
    SegmentedControl* m_homeNavigation = nullptr; // holds the page choice; the sidebar buttons drive it
    SidebarNavButton* m_sessionsNav = nullptr;
    SidebarNavButton* m_tasksNav = nullptr;
    QWidget* m_sessionSearch = nullptr;
    QWidget* m_deliveryListScroll = nullptr;
    QLabel* m_tasksLabel = nullptr;
    QWidget* m_deliveryHome = nullptr;
    QWidget* m_tasksPage = nullptr; // holds the task heading, the task detail area and taskFooter
    QWidget* m_taskDetailHeading = nullptr;
    QWidget* m_taskFooter = nullptr;
    QLabel* m_footer = nullptr;
};
