#include "Harness.h"
#include "TestRegistry.h"
#include "app/AutomationOutput.h"
#include "ui/StatusRow.h"

#include <QDialog>
#include <QFile>
#include <QJsonDocument>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>

namespace {

QJsonObject readUi(const QString& directory) {
    QFile file(directory + QStringLiteral("/ui.json"));
    return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object() : QJsonObject();
}

} // namespace

class AutomationTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void nothingWithoutTheVariable() {
        Harness harness;
        AppDelegate& app = harness.app();
        app.startAutomationOutput();
        QVERIFY(!app.findChild<AutomationOutput*>());
    }

    void mirrorsNamedViews() {
        QTemporaryDir directory;
        Harness harness;
        AppDelegate& app = harness.app();
        harness.fake->environment.insert(QStringLiteral("VODU_AUTOMATION_DIR"), directory.path());
        app.startAutomationOutput();
        app.showWindow();
        app.render(QJsonDocument::fromJson(R"({"connection":{"state":"unauthorized"},"auth":{"state":"signed_in"}})")
                       .object());
        QTRY_VERIFY(readUi(directory.path()).value(u"connectionRow.detail").toObject().value(u"text") ==
                    QStringLiteral("Sign-in required"));
        const QJsonObject ui = readUi(directory.path());

        const QJsonObject action = ui.value(u"connectionRow.action").toObject();
        QCOMPARE(action.value(u"class").toString(), QStringLiteral("FlatOutlineButton"));
        QCOMPARE(action.value(u"text").toString(), QStringLiteral("Reconnect"));
        QCOMPARE(action.value(u"hidden").toBool(), false);   // its own flag, as render set it
        QCOMPARE(action.value(u"onScreen").toBool(), false); // the panel is closed
        const QJsonObject summary = ui.value(u"connectionSummary").toObject();
        QCOMPARE(summary.value(u"onScreen").toBool(), true);
        QCOMPARE(summary.value(u"toolTip").toString(), QStringLiteral("Click to open connection status and settings"));
        QVERIFY(summary.value(u"width").toInt() > 0);
        const QJsonObject navigation = ui.value(u"settingsNavigation").toObject();
        QCOMPARE(navigation.value(u"items").toArray().size(), 3);
        QCOMPARE(navigation.value(u"selectedIndex").toInt(), 0);
        QCOMPARE(ui.value(u"sessionsNav").toObject().value(u"checked").toBool(), true);
        QCOMPARE(ui.value(u"tasksNav").toObject().value(u"checked").toBool(), false);
        QCOMPARE(ui.value(u"menuStatus").toObject().value(u"text").toString(), QStringLiteral("Sign-in required"));
        QCOMPARE(ui.value(u"statusItem").toObject().value(u"toolTip").toString(),
                 QStringLiteral("VODU · Sign-in required"));
        QVERIFY(ui.contains(QStringLiteral("window")));
        QVERIFY(QFile::exists(directory.path() + QStringLiteral("/window.png")));
        QVERIFY(!QFile::exists(directory.path() + QStringLiteral("/panel.png")));

        // The panel's picture exists exactly while it is open.
        app.showStatusPanel();
        QTRY_VERIFY(QFile::exists(directory.path() + QStringLiteral("/panel.png")));
        QTRY_VERIFY(readUi(directory.path()).value(u"connectionRow.action").toObject().value(u"onScreen").toBool());
        app.closeStatusPanel();
        QTRY_VERIFY(!QFile::exists(directory.path() + QStringLiteral("/panel.png")));
    }

    void unchangedScreenIsNotRewritten() {
        QTemporaryDir directory;
        Harness harness;
        AppDelegate& app = harness.app();
        app.showWindow();
        AutomationOutput output(directory.path(), [&app]() -> AutomationOutput::Sources {
            return {app.window.data(), app.statusPanel.data(), nullptr, nullptr};
        });
        QVERIFY(output.writeNow());
        QVERIFY(QFile::exists(directory.path() + QStringLiteral("/ui.json")));
        QCoreApplication::processEvents(); // let the freshly shown window lay itself out
        output.writeNow();
        QVERIFY(!output.writeNow());
        app.footer->setText(QStringLiteral("Copied"));
        QVERIFY(output.writeNow());
    }
};

VODU_TEST_SUITE(AutomationTest)
#include "AutomationTest.moc"
