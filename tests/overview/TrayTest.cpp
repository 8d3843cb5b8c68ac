#include "Harness.h"
#include "TestRegistry.h"
#include "ui/Theme.h"

#include <QImage>
#include <QMainWindow>
#include <QSystemTrayIcon>
#include <QTest>

namespace {

QImage trayImage(const AppDelegate& app) {
    const QSystemTrayIcon* item = view<QSystemTrayIcon>(&app.overview(), "statusItem");
    return item ? item->icon().pixmap(QSize(18, 18), 2.0).toImage().convertToFormat(QImage::Format_ARGB32) : QImage();
}

// How far apart the glyph's visible pixels are from a panel of this colour, at the most.
int strongestContrast(const QImage& image, QColor panel) {
    int best = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() < 200) {
                continue;
            }
            best = std::max(best, std::abs(qGray(pixel.rgb()) - qGray(panel.rgb())));
        }
    }
    return best;
}

} // namespace

class TrayTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void itemAppearsWhenATrayStartsLater() {
        Harness harness({QStringLiteral("en-US")}, Harness::Build::nothing);
        harness.fake->tray = false;
        harness.app().buildWindow();
        harness.app().buildStatusItem();
        const QSystemTrayIcon* item = view<QSystemTrayIcon>(&harness.app().overview(), "statusItem");
        QVERIFY(item);
        QVERIFY(!item->isVisible());
        harness.fake->tray = true;
        QTRY_VERIFY_WITH_TIMEOUT(item->isVisible(), 5000);
    }

    // Panels are light or dark whatever the window shows: the glyph stands out on both, and the window's
    // appearance does not change it.
    void glyphIsReadableOnAnyPanel() {
        Harness harness;
        const QImage light = trayImage(harness.app());
        QVERIFY(!light.isNull());
        QVERIFY(strongestContrast(light, Qt::white) > 100);
        QVERIFY(strongestContrast(light, Qt::black) > 100);
        harness.app().window()->show();
        QWidget* window = harness.app().window();
        setWindowAppearance(window, appearanceOf(window) == Appearance::dark ? Appearance::light : Appearance::dark);
        QCOMPARE(trayImage(harness.app()), light);
    }

    // A left click on the tray item shows the window, and hides a window that is shown and active.
    void leftClickTogglesTheWindow() {
        Harness harness;
        QMainWindow* window = harness.app().window();
        QSystemTrayIcon* item = view<QSystemTrayIcon>(&harness.app().overview(), "statusItem");
        Q_EMIT item->activated(QSystemTrayIcon::Trigger);
        QVERIFY(window->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(window));
        Q_EMIT item->activated(QSystemTrayIcon::Trigger);
        QVERIFY(!window->isVisible());
        QCOMPARE(harness.fake->terminations, 0);
        Q_EMIT item->activated(QSystemTrayIcon::Context); // the menu, nothing else
        QVERIFY(!window->isVisible());
        Q_EMIT item->activated(QSystemTrayIcon::Trigger);
        QVERIFY(window->isVisible());
    }

    void closingTheWindow_data() {
        QTest::addColumn<bool>("tray");
        QTest::newRow("with a tray: hidden, still running") << true;
        QTest::newRow("without a tray: the app quits") << false;
    }

    void closingTheWindow() {
        QFETCH(bool, tray);
        Harness harness;
        harness.fake->tray = tray;
        harness.app().showWindow();
        harness.app().window()->close();
        if (tray) {
            QVERIFY(!harness.app().window()->isVisible());
            QTest::qWait(50);
            QCOMPARE(harness.fake->terminations, 0);
        } else {
            // The quit path as from the menu: no host runs, so it ends at once.
            QTRY_COMPARE(harness.fake->terminations, 1);
        }
    }
};

VODU_TEST_SUITE(TrayTest)
#include "TrayTest.moc"
