#include "update/UpdateRow.h"
#include "InstallationHome.h"
#include "ui/Theme.h"
#include "ui/ThemedLabel.h"

#include <QDialog>

namespace {

#define INSTALL_FAILED                                                                                                 \
    "The app update could not finish. Update VODU using the installer; your settings and tasks are preserved."

// The facts as JSON: the service's "update" object, "installError", "selected" and "running" versions,
// "restartError", "tasks" (left out: absent; the bundle is 1.2.3), then what the row shows.
const struct {
    const char *name, *facts;
    UpdateDot dot;
    const char *label, *button;
    bool enabled, needsRestart, canInstall;
} kRows[] = {
    {"install error with its reason, masked", R"({"installError":"helper died token=abc123","selected":"1.3.0"})",
     UpdateDot::red, INSTALL_FAILED "\nhelper died •••", "Get installer", true, false, false},
    {"newer release, two tasks running", R"({"selected":"1.3.0","tasks":2})", UpdateDot::orange,
     "Restart is available when 2 active task(s) finish.", "Restart to update", false, true, false},
    {"newer release, idle", R"({"selected":"1.3.0","update":{"state":"available"}})", UpdateDot::orange,
     "Restart to use app 1.3.0.", "Restart to update", true, true, false},
    {"newer release after a failed restart", R"({"selected":"1.3.0","restartError":"Could not restart."})",
     UpdateDot::red, "Could not restart.", "Restart to update", true, true, false},
    {"newer service, release not verified", R"({"running":"1.4.0"})", UpdateDot::orange,
     "The new app could not be verified. Check the installation.", "Restart to update", false, true, false},
    {"no update object", "{}", UpdateDot::grey, "Not checked", "Check for updates", true, false, false},
    {"downloading, available, with a message",
     R"({"update":{"state":"downloading","available":true,"message":"Fetching 1.4.0"}})", UpdateDot::blue,
     "Fetching 1.4.0", "Update now", false, false, true},
    {"check failed, the error is shown masked",
     "{\"update\":{\"state\":\"check_failed\",\"error\":\"see https:\\/\\/x.example\"}}", UpdateDot::red, "see •••",
     "Check for updates", true, false, false},
    {"disabled", R"({"update":{"state":"disabled"}})", UpdateDot::grey, "Automatic checks are disabled",
     "Check for updates", false, false, false},
    {"ready, target version first, cleaned",
     R"({"update":{"state":"ready","target_version":" 2.0.0\n","version":"1.0.0"}})", UpdateDot::orange,
     "Version 2.0.0 is available", "Update now", true, false, true},
    {"up to date", R"({"update":{"state":"idle"}})", UpdateDot::green, "Up to date", "Check for updates", true, false,
     false},
};

} // namespace

class UpdateRowTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rowView_data() { addRows(kRows); }

    void rowView() {
        QFETCH(int, row);
        const auto& expected = kRows[row];
        const QJsonObject given = QJsonDocument::fromJson(expected.facts).object();
        const auto text = [&given](const char* key) {
            return given.contains(QLatin1String(key)) ? std::optional(given.value(QLatin1String(key)).toString())
                                                      : std::nullopt;
        };
        UpdateRowFacts facts;
        if (given.contains(u"update")) {
            facts.update = given.value(u"update").toObject();
        }
        facts.installError = text("installError");
        facts.native = QStringLiteral("1.2.3");
        facts.selected = text("selected");
        facts.running = text("running");
        facts.restartError = text("restartError");
        facts.activeTasks = given.value(u"tasks").toInteger();
        facts.connected = true;
        const UpdateRowView view = updateRowView(facts, Copy{false});
        QCOMPARE(view.dot, expected.dot);
        QCOMPARE(view.label, QString::fromUtf8(expected.label));
        QCOMPARE(view.buttonTitle, QString::fromUtf8(expected.button));
        QCOMPARE(view.buttonEnabled, expected.enabled);
        QCOMPARE(view.needsRestart, expected.needsRestart);
        QCOMPARE(view.canInstall, expected.canInstall);
    }

    // The row follows each status, its button sends the action it names, and a restart attempt owns the row.
    void rowFollowsTheStatusAndSendsItsAction() {
        TestBundle bundle;
        Harness harness;
        AppDelegate& app = harness.app();
        QTemporaryDir logs; // also an installation home without a selected release
        const QString log = logs.path() + "/host.log";
        harness.fake->bundleDir = bundle.path();
        harness.fake->environment.insert("SCRIPTED_HOST_MODE", "silent");
        harness.fake->environment.insert("SCRIPTED_HOST_LOG", log);
        harness.fake->environment.insert("VODU_HOME", logs.path());
        app.startHost();
        QTRY_COMPARE(fileLines(log).size(), 1); // the launch's refresh

        app.update().restartToUpdate(); // refused: no newer release is selected
        QVERIFY(app.update().restartError());
        app.link().handleLine(R"({"type":"status","status":{"update":{"state":"idle"}}})");
        QVERIFY(!app.update().restartError()); // forgotten once no restart is needed
        view<QPushButton>(app, "updateButton")->click();
        QTRY_COMPARE(fileLines(log).size(), 2);
        QVERIFY(fileLines(log).at(1).contains("\"action\":\"check_update\""));
        app.link().handleLine(R"({"type":"status","status":{"update":{"state":"ready"}}})");
        QCOMPARE(view<ThemedLabel>(app, "updateDot")->color().light, Theme::systemOrange.light);
        QCOMPARE(view<QLabel>(app, "updateLabel")->text(), QStringLiteral("Update available"));
        view<QPushButton>(app, "updateButton")->click();
        QTRY_COMPARE(fileLines(log).size(), 3);
        QVERIFY(fileLines(log).at(2).contains("\"action\":\"update\""));

        app.requestQuit(); // the silent host never answers, so the quit stays in flight
        QVERIFY(app.linkState().quitInFlight);
        app.link().handleLine(R"({"type":"status","status":{"update":{"state":"failed"}}})");
        QCOMPARE(view<QLabel>(app, "updateLabel")->text(), QStringLiteral("Update available"));
    }

    void installErrorAtLaunchShowsTheRowAndOpensTheInstallerPage() {
        AreaHarness area;
        UpdateController update(area.context, QStringLiteral("Could not start the app update helper"));
        update.buildUpdateRow()->setParent(&area.parent);
        QSignalSpy settings(&update, &UpdateController::settingsRequested);
        update.showInstallError();
        QVERIFY(area.view<QLabel>("updateLabel")->text().endsWith("\nCould not start the app update helper"));
        QCOMPARE(settings.size(), 1);
        QCOMPARE(settings.first().first().toInt(), 2); // App & updates

        area.view<QPushButton>("updateButton")->click();
        QCOMPARE(area.platform.openedUrls, QList<QUrl>{QUrl("https://app.vodu.ai/download")});
        QVERIFY(area.commands.commands.isEmpty());
        // Only a valid configured workspace is ever opened.
        area.platform.environment.insert("VODU_WEB_ORIGIN", "javascript:alert(1)");
        area.view<QPushButton>("updateButton")->click();
        QCOMPARE(area.platform.openedUrls.size(), 1);
    }
};

VODU_TEST_SUITE(UpdateRowTest)
#include "UpdateRowTest.moc"
