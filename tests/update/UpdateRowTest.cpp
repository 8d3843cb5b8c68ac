#include "update/UpdateRow.h"
#include "Harness.h"
#include "InstallationHome.h"
#include "TestRegistry.h"
#include "ui/Theme.h"
#include "ui/ThemedLabel.h"

#include <QDialog>
#include <QJsonDocument>
#include <QLabel>
#include <QPushButton>
#include <QTest>

Q_DECLARE_METATYPE(UpdateDot)

namespace {

std::optional<QString> optionalText(const QString& text) {
    return text == u"<absent>" ? std::nullopt : std::optional<QString>(text);
}

} // namespace

class UpdateRowTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Columns: the service's update object (JSON, or <absent>), then the local facts, then what the row shows.
    void rowView_data() {
        QTest::addColumn<QString>("update");
        QTest::addColumn<QString>("installError");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("running");
        QTest::addColumn<QString>("restartError");
        QTest::addColumn<qint64>("tasks");
        QTest::addColumn<bool>("fixture");
        QTest::addColumn<UpdateDot>("dot");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("needsRestart");
        QTest::addColumn<bool>("canInstall");

        const QString none = QStringLiteral("<absent>");
        const QString installFailed = QStringLiteral(
            "The app update could not finish. Update VODU using the installer; your settings and tasks are preserved.");
        QTest::newRow("install error with its reason, masked")
            << R"({"state":"available"})"
            << "helper died token=abc123"
            << "1.3.0" << none << none << qint64(0) << false << UpdateDot::red
            << installFailed + QStringLiteral("\nhelper died •••") << "Get installer" << true << false << false;
        QTest::newRow("install error without text")
            << none << "  " << none << none << none << qint64(0) << false << UpdateDot::red << installFailed
            << "Get installer" << true << false << false;
        QTest::newRow("newer release, two tasks running")
            << none << none << "1.3.0" << none << none << qint64(2) << false << UpdateDot::orange
            << "Restart is available when 2 active task(s) finish."
            << "Restart to update" << false << true << false;
        QTest::newRow("newer release, idle") << R"({"state":"available"})" << none << "1.3.0" << none << none
                                             << qint64(0) << false << UpdateDot::orange << "Restart to use app 1.3.0."
                                             << "Restart to update" << true << true << false;
        QTest::newRow("newer release after a failed restart")
            << none << none << "1.3.0" << none << "Could not restart the app. Open VODU again." << qint64(0) << false
            << UpdateDot::red << "Could not restart the app. Open VODU again."
            << "Restart to update" << true << true << false;
        QTest::newRow("newer service, release not verified")
            << none << none << none << "1.4.0" << none << qint64(0) << false << UpdateDot::orange
            << "The new app could not be verified. Check the installation."
            << "Restart to update" << false << true << false;
        QTest::newRow("no update object")
            << none << none << none << none << "old failure" << qint64(0) << false << UpdateDot::grey << "Not checked"
            << "Check for updates" << true << false << false;
        QTest::newRow("checking") << R"({"state":"checking"})" << none << none << none << none << qint64(0) << false
                                  << UpdateDot::blue << "In progress…"
                                  << "Check for updates" << false << false << false;
        QTest::newRow("downloading, available, with a message")
            << R"({"state":"downloading","available":true,"message":"Fetching 1.4.0"})" << none << none << none << none
            << qint64(0) << false << UpdateDot::blue << "Fetching 1.4.0"
            << "Update now" << false << false << true;
        QTest::newRow("check failed, the error is shown masked")
            << "{\"state\":\"check_failed\",\"error\":\"see https://x.example/log\"}" << none << none << none << none
            << qint64(0) << false << UpdateDot::red << "see •••"
            << "Check for updates" << true << false << false;
        QTest::newRow("disabled") << R"({"state":"disabled"})" << none << none << none << none << qint64(0) << false
                                  << UpdateDot::grey << "Automatic checks are disabled"
                                  << "Check for updates" << false << false << false;
        QTest::newRow("ready without an available key counts as available")
            << R"({"state":"ready","latestVersion":"1.4.0"})" << none << none << none << none << qint64(0) << false
            << UpdateDot::orange << "Version 1.4.0 is available"
            << "Update now" << true << false << true;
        QTest::newRow("target version comes first, cleaned")
            << R"({"state":"waiting_for_idle","target_version":" 2.0.0\n","version":"1.0.0"})" << none << none << none
            << none << qint64(0) << false << UpdateDot::orange << "Version 2.0.0 is available"
            << "Update now" << true << false << true;
        QTest::newRow("available without a version")
            << R"({"available":true,"version":7})" << none << none << none << none << qint64(0) << false
            << UpdateDot::orange << "Update available"
            << "Update now" << true << false << true;
        QTest::newRow("the status key stands in for state")
            << R"({"state":4,"status":"downloaded"})" << none << none << none << none << qint64(0) << false
            << UpdateDot::orange << "Update available"
            << "Update now" << true << false << true;
        QTest::newRow("up to date") << R"({"state":"idle"})" << none << none << none << none << qint64(0) << false
                                    << UpdateDot::green << "Up to date"
                                    << "Check for updates" << true << false << false;
    }

    void rowView() {
        QFETCH(QString, update);
        QFETCH(QString, installError);
        QFETCH(QString, selected);
        QFETCH(QString, running);
        QFETCH(QString, restartError);
        QFETCH(qint64, tasks);
        QFETCH(bool, fixture);
        UpdateRowFacts facts;
        if (update != u"<absent>") {
            facts.update = QJsonDocument::fromJson(update.toUtf8()).object();
        }
        facts.installError = optionalText(installError);
        facts.native = QStringLiteral("1.2.3");
        facts.selected = optionalText(selected);
        facts.running = optionalText(running);
        facts.restartError = optionalText(restartError);
        facts.activeTasks = tasks;
        facts.connected = true;
        facts.fixtureMode = fixture;
        const UpdateRowView view = updateRowView(facts, Copy{false});
        QTEST(view.dot, "dot");
        QTEST(view.label, "label");
        QTEST(view.buttonTitle, "button");
        QTEST(view.buttonEnabled, "enabled");
        QTEST(view.needsRestart, "needsRestart");
        QTEST(view.canInstall, "canInstall");
        // A remembered restart failure lasts only while a restart is still needed.
        QCOMPARE(view.clearRestartError, !view.needsRestart && !facts.installError);
    }

    void japaneseTexts() {
        UpdateRowFacts facts;
        facts.native = QStringLiteral("1.2.3");
        facts.selected = QStringLiteral("1.3.0");
        facts.activeTasks = 3;
        facts.connected = true;
        QCOMPARE(updateRowView(facts, Copy{true}).label, QStringLiteral("3 件のタスクが完了すると再起動できます。"));
        facts.activeTasks = 0;
        QCOMPARE(updateRowView(facts, Copy{true}).label, QStringLiteral("App 1.3.0 を使うため再起動してください。"));
        QCOMPARE(updateRowView(facts, Copy{true}).buttonTitle, QStringLiteral("再起動してアップデート"));
    }

    void renderUpdateAppliesTheRowAndStaysOutOfARestart() {
        InstallationHome home; // no release selected
        Harness harness;
        AppDelegate& app = harness.app();
        harness.fake->environment.insert(QStringLiteral("VODU_HOME"), home.path());
        app.connected = true;
        app.restartError = QStringLiteral("old failure");
        app.renderUpdate(QJsonObject{{"state", "ready"}});
        QCOMPARE(app.updateLabel->text(), QStringLiteral("Update available"));
        QCOMPARE(app.updateDot->color().light, Theme::systemOrange.light);
        QCOMPARE(app.updateButton->text(), QStringLiteral("Update now"));
        QVERIFY(app.updateCanInstall);
        QVERIFY(!app.restartError);

        app.quitInFlight = true;
        app.renderUpdate(QJsonObject{{"state", "failed"}});
        QCOMPARE(app.updateLabel->text(), QStringLiteral("Update available"));
        QVERIFY(app.updateCanInstall);
    }

    void renderUpdateReadsTheSelectedRelease() {
        InstallationHome home;
        QVERIFY(home.select(home.addRelease(QStringLiteral("1.3.0"))));
        Harness harness;
        AppDelegate& app = harness.app();
        harness.fake->environment.insert(QStringLiteral("VODU_HOME"), home.path());
        app.connected = true;
        app.renderUpdate(std::nullopt);
        QVERIFY(app.updateNeedsRestart);
        QCOMPARE(app.updateLabel->text(), QStringLiteral("Restart to use app 1.3.0."));
        QVERIFY(app.updateButton->isEnabled());
    }

    void updateButtonSendsCheckOrUpdate() {
        TestBundle bundle;
        Harness harness;
        AppDelegate& app = harness.app();
        QTemporaryDir logs;
        const QString log = logs.path() + QStringLiteral("/host.log");
        harness.fake->bundleDir = bundle.path();
        harness.fake->environment.insert(QStringLiteral("SCRIPTED_HOST_MODE"), QStringLiteral("silent"));
        harness.fake->environment.insert(QStringLiteral("SCRIPTED_HOST_LOG"), log);
        harness.fake->environment.insert(QStringLiteral("VODU_HOME"), logs.path()); // no selected release
        app.startHost();
        QTRY_VERIFY(app.hostIsRunning());
        QTRY_COMPARE(fileLines(log).size(), 1); // the launch's refresh

        app.handleLine(R"({"type":"status","status":{"update":{"state":"idle"}}})");
        app.updateButton->click();
        QTRY_COMPARE(fileLines(log).size(), 2);
        QVERIFY(fileLines(log).at(1).contains(QStringLiteral("\"action\":\"check_update\"")));

        app.handleLine(R"({"type":"status","status":{"update":{"state":"ready"}}})");
        app.updateButton->click();
        QTRY_COMPARE(fileLines(log).size(), 3);
        QVERIFY(fileLines(log).at(2).contains(QStringLiteral("\"action\":\"update\"")));
    }

    void installErrorAtLaunchShowsTheRowAndOpensTheInstallerPage() {
        Harness harness;
        AppDelegate& app = harness.app();
        app.desktopInstallError = QStringLiteral("Could not start the app update helper");
        app.showInstallError();
        QVERIFY(app.updateLabel->text().endsWith(QStringLiteral("\nCould not start the app update helper")));
        QCOMPARE(app.updateButton->text(), QStringLiteral("Get installer"));
        QVERIFY(app.statusPanel->isVisible());
        auto* tabs = app.statusPanel->findChild<QWidget*>(QStringLiteral("settingsTabs"));
        QVERIFY(tabs);
        QCOMPARE(tabs->property("currentIndex").toInt(), 2);

        app.updateButton->click();
        QCOMPARE(harness.fake->openedUrls, QList<QUrl>{QUrl(QStringLiteral("https://app.vodu.ai/download"))});
        QVERIFY(!app.process);

        // Only a valid configured workspace is ever opened.
        harness.fake->environment.insert(QStringLiteral("VODU_WEB_ORIGIN"), QStringLiteral("javascript:alert(1)"));
        app.updateButton->click();
        QCOMPARE(harness.fake->openedUrls.size(), 1);
    }
};

VODU_TEST_SUITE(UpdateRowTest)
#include "UpdateRowTest.moc"
