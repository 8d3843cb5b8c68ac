#include "Harness.h"
#include "TestRegistry.h"
#include "ui/Theme.h"

#include <QFile>
#include <QHash>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include <functional>

namespace {

// The colour that covers most of a widget as it draws now: its background.
QColor dominantColour(QWidget* widget) {
    widget->ensurePolished();
    const QImage image = widget->grab().toImage();
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            ++counts[image.pixel(x, y)];
        }
    }
    QRgb best = 0;
    int bestCount = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > bestCount) {
            best = it.key();
            bestCount = it.value();
        }
    }
    return QColor::fromRgba(best);
}

QWidget* shownToolTip() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->inherits("QTipLabel") && widget->isVisible()) {
            return widget;
        }
    }
    return nullptr;
}

using Probe = std::function<QColor(QMainWindow*)>;

} // namespace

Q_DECLARE_METATYPE(Probe)

class AppearanceTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void toggleRestylesEverything_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<Probe>("probe");
        const QList<std::pair<const char*, Probe>> probes{
            {"menu bar",
             [](QMainWindow* window) {
                 return dominantColour(window->menuBar());
             }},
            {"menu",
             [](QMainWindow* window) {
                 QMenu* menu = window->menuBar()->actions().value(0)->menu();
                 menu->adjustSize();
                 return dominantColour(menu);
             }},
            {"scroll bar handle",
             [](QMainWindow* window) {
                 auto* bar = new QScrollBar(Qt::Vertical, window->centralWidget());
                 bar->resize(10, 200);
                 bar->setRange(0, 1);
                 bar->setPageStep(1000);
                 const QColor colour = dominantColour(bar);
                 delete bar;
                 return colour;
             }},
            {"tool tip",
             [](QMainWindow* window) {
                 QToolTip::showText(window->mapToGlobal(QPoint(40, 40)), QStringLiteral("A tip with some words"),
                                    window);
                 QWidget* tip = shownToolTip();
                 const QColor colour = tip ? dominantColour(tip) : QColor();
                 QToolTip::hideText();
                 return colour;
             }},
        };
        for (const auto& [name, probe] : probes) {
            QTest::newRow(qPrintable(QStringLiteral("%1, light to dark").arg(QLatin1String(name)))) << "light" << probe;
            QTest::newRow(qPrintable(QStringLiteral("%1, dark to light").arg(QLatin1String(name)))) << "dark" << probe;
        }
    }

    void toggleRestylesEverything() {
        QFETCH(QString, start);
        QFETCH(Probe, probe);
        QTemporaryDir directory;
        const QString fixture = directory.filePath(QStringLiteral("fixture.json"));
        QFile file(fixture);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("{}") == 2);
        file.close();
        // Launched whole, so the main menu is there.
        Harness harness({QStringLiteral("en-US")}, Harness::Build::nothing);
        harness.fake->bundleInfo.insert(QStringLiteral("CFBundleIdentifier"),
                                        QStringLiteral("com.zuzi.vodu.cli.appearance"));
        harness.fake->environment.insert(QStringLiteral("VODU_APPEARANCE"), start);
        harness.app().applicationDidFinishLaunching(
            {QStringLiteral("vodu-status"), QStringLiteral("--status-fixture"), fixture});
        QMainWindow* window = harness.app().window();
        const bool startsDark = start == u"dark";
        const QColor before = probe(window);
        QVERIFY2(before.isValid() && before.alpha() == 255, qPrintable(before.name(QColor::HexArgb)));
        QCOMPARE(before.lightnessF() < 0.5, startsDark);
        setWindowAppearance(window, startsDark ? Appearance::light : Appearance::dark);
        const QColor after = probe(window);
        QVERIFY2((after.lightnessF() < 0.5) == !startsDark, qPrintable(after.name()));
    }
};

VODU_TEST_SUITE(AppearanceTest)
#include "AppearanceTest.moc"
