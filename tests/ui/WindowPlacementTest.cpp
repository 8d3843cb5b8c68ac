#include "ui/WindowPlacement.h"
#include "Harness.h"
#include "TestRegistry.h"

#include <QAction>
#include <QFile>
#include <QMainWindow>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QSize kPreferred(1040, 740);
const QSize kMinimum(820, 600);

bool framedInside(const QRect& window, const QRect& area) {
    const QRect framed = window.adjusted(-kWindowFrameAllowance.width() / 2,
                                         -(kWindowFrameAllowance.height() - kWindowFrameAllowance.width() / 2),
                                         kWindowFrameAllowance.width() / 2, kWindowFrameAllowance.width() / 2);
    return area.contains(framed);
}

} // namespace

class WindowPlacementTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void placement_data() {
        QTest::addColumn<QList<QRect>>("screens");
        QTest::addColumn<QRect>("remembered"); // a null rectangle: nothing remembered
        QTest::addColumn<int>("screen");       // the screen the window must lie on
        QTest::addColumn<QSize>("size");       // expected size
        QTest::addColumn<bool>("centred");
        const QRect large(0, 0, 1920, 1050);
        const QRect laptop(0, 0, 1366, 738); // 1366 x 768 with a panel
        const QRect right(1920, 0, 1280, 1000);
        QTest::newRow("first run, large screen") << QList<QRect>{large} << QRect() << 0 << kPreferred << true;
        QTest::newRow("first run, 1366 x 768") << QList<QRect>{laptop} << QRect() << 0 << QSize(1040, 690) << true;
        QTest::newRow("remembered, still visible")
            << QList<QRect>{large} << QRect(300, 200, 900, 650) << 0 << QSize(900, 650) << false;
        QTest::newRow("remembered on a screen now gone")
            << QList<QRect>{large} << QRect(2100, 100, 900, 650) << 0 << QSize(900, 650) << true;
        QTest::newRow("remembered half off the right edge")
            << QList<QRect>{large} << QRect(1700, 100, 900, 650) << 0 << QSize(900, 650) << false;
        QTest::newRow("remembered above the top")
            << QList<QRect>{large} << QRect(100, -400, 900, 650) << 0 << QSize(900, 650) << false;
        QTest::newRow("remembered larger than the screen now")
            << QList<QRect>{laptop} << QRect(0, 0, 1800, 1000) << 0 << QSize(1350, 690) << false;
        QTest::newRow("remembered on the second screen")
            << QList<QRect>{large, right} << QRect(2000, 100, 900, 650) << 1 << QSize(900, 650) << false;
        QTest::newRow("remembered smaller than allowed")
            << QList<QRect>{large} << QRect(100, 100, 300, 200) << 0 << kMinimum << false;
    }

    void placement() {
        QFETCH(QList<QRect>, screens);
        QFETCH(QRect, remembered);
        QFETCH(int, screen);
        QFETCH(QSize, size);
        QFETCH(bool, centred);
        const QRect placed = placeWindow(remembered.isNull() ? std::nullopt : std::optional<QRect>(remembered), screens,
                                         kPreferred, kMinimum);
        QCOMPARE(placed.size(), size);
        QVERIFY2(framedInside(placed, screens.at(screen)), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                                          .arg(placed.x())
                                                                          .arg(placed.y())
                                                                          .arg(placed.width())
                                                                          .arg(placed.height())));
        if (centred) {
            QVERIFY(qAbs(placed.center().x() - screens.at(screen).center().x()) <= kWindowFrameAllowance.width());
            QVERIFY(qAbs(placed.center().y() - screens.at(screen).center().y()) <= kWindowFrameAllowance.height());
        } else if (screens.at(screen).contains(remembered) && remembered.size() == size) {
            QCOMPARE(placed, remembered);
        }
    }

    void placeIsRememberedBetweenRuns() {
        QVariant stored;
        {
            Harness first({QStringLiteral("en-US")}, Harness::Build::nothing);
            first.fake->screens = {QRect(0, 0, 1366, 738)};
            first.app().buildWindow();
            QMainWindow* window = first.app().window();
            QCOMPARE(window->size(), QSize(1040, 690));
            first.app().showWindow();
            window->setGeometry(QRect(120, 90, 900, 620));
            QTRY_COMPARE(first.fake->stored.value(QStringLiteral("window/geometry")).toRect(),
                         QRect(120, 90, 900, 620));
            stored = first.fake->stored.value(QStringLiteral("window/geometry"));
        }
        Harness second({QStringLiteral("en-US")}, Harness::Build::nothing);
        second.fake->screens = {QRect(0, 0, 1366, 738)};
        second.fake->stored.insert(QStringLiteral("window/geometry"), stored);
        second.app().buildWindow();
        QCOMPARE(second.app().window()->geometry(), QRect(120, 90, 900, 620));
    }

    void ctrlRRefreshesFromTheMainWindow() {
        TestBundle bundle;
        QVERIFY(bundle.isValid());
        QTemporaryDir logDirectory;
        const QString log = logDirectory.filePath(QStringLiteral("commands.log"));
        const auto refreshes = [&log] {
            QFile file(log);
            return file.open(QIODevice::ReadOnly) ? file.readAll().count("\"refresh\"") : qsizetype(-1);
        };
        Harness harness({QStringLiteral("en-US")}, Harness::Build::nothing);
        harness.fake->bundleDir = bundle.path();
        harness.fake->bundleInfo.insert(QStringLiteral("CFBundleIdentifier"),
                                        QStringLiteral("com.zuzi.vodu.cli.ctrl-r"));
        harness.fake->environment.insert(QStringLiteral("SCRIPTED_HOST_MODE"), QStringLiteral("recording"));
        harness.fake->environment.insert(QStringLiteral("SCRIPTED_HOST_LOG"), log);
        harness.app().applicationDidFinishLaunching({QStringLiteral("vodu-status")});
        QTRY_COMPARE_WITH_TIMEOUT(refreshes(), qsizetype(1), 10000); // the launch's own
        QAction* refresh = nullptr;
        for (QAction* menu : harness.app().window()->menuBar()->actions()) {
            for (QAction* action : menu->menu()->actions()) {
                if (action->shortcut() == QKeySequence(Qt::CTRL | Qt::Key_R)) {
                    refresh = action;
                }
            }
        }
        QVERIFY(refresh);
        QCOMPARE(refresh->shortcutContext(), Qt::WindowShortcut);
        refresh->trigger();
        QTRY_COMPARE(refreshes(), qsizetype(2));
    }
};

VODU_TEST_SUITE(WindowPlacementTest)
#include "WindowPlacementTest.moc"
