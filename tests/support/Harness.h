#pragma once

#include "FakePlatform.h"
#include "Views.h"
#include "app/AppDelegate.h"

#include <QMainWindow>

#include <QTemporaryDir>

#include <memory>

// A bundle directory laid out like the real one, with a chosen host script, in a temporary folder.
class TestBundle {
public:
    // `hostScript` is copied as the host; empty leaves the host script out.
    explicit TestBundle(const QString& hostScript = QStringLiteral("scripted-host.js"));
    // The reference host of the source tree (companion/), laid out as the build lays it out.
    struct ReferenceHost {};
    explicit TestBundle(ReferenceHost);
    QString path() const { return m_directory.path(); }
    bool isValid() const { return m_valid; }
    static QString fixturePath(const QString& name);
    // The source tree: VODU_SOURCE_DIR when set, else the tree these tests were built from.
    static QString sourcePath(const QString& relative);

private:
    bool layOut(); // the launcher and the node runtime link
    QTemporaryDir m_directory;
    bool m_valid = false;
};

// A named view of one whole app: its window (the settings sheet included), then every other top-level window
// (the tray menu, dialogs).
template <typename T> T* view(const AppDelegate& app, const char* name) {
    T* found = view<T>(app.window(), name);
    return found ? found : view<T>(QString::fromLatin1(name));
}

// A controller on a fake desktop with its window built, as after launch but before any host is started.
struct Harness {
    // `window`: views built as buildWindow does at launch; `nothing`: left to applicationDidFinishLaunching.
    enum class Build { window, nothing };
    explicit Harness(const QStringList& languages = {QStringLiteral("en-US")}, Build build = Build::window);
    ~Harness();
    Harness(const Harness&) = delete;
    Harness& operator=(const Harness&) = delete;

    AppDelegate& app() { return *controller; }
    // The app's XDG_CONFIG_HOME: what a test turns on (start at login) stays out of the user's own folder.
    QTemporaryDir configHome;
    FakePlatform* fake = nullptr; // owned by the controller
    // Child processes (hosts) that were running before this harness: the rest are killed with it.
    QList<qint64> earlierChildren;
    std::unique_ptr<AppDelegate> controller;
};

// A test class whose every test function gets a fresh controller on a fake desktop.
class HarnessTest : public QObject {
    Q_OBJECT

protected:
    Harness& harness() { return *m_harness; }
    AppDelegate& app() { return m_harness->app(); }
    FakePlatform& fake() { return *m_harness->fake; }

    std::unique_ptr<Harness> m_harness;

private Q_SLOTS:
    void init() { m_harness = std::make_unique<Harness>(); }
    void cleanup() { m_harness.reset(); }
};
