#include "update/UpdateRow.h"
#include "AreaHarness.h"
#include "DataTables.h"
#include "InstallationHome.h"
#include "update/UpdateController.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>

#define INSTALL_FAILED                                                                                                 \
    "The app update could not finish. Update VODU using the installer; your settings and tasks are preserved.\n"

class UpdateRowTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The facts as JSON (the bundle is 1.2.3, connected), then what the row shows; "flags" are the button's being
    // enabled, needing a restart and being able to install, each "+" or "-".
    void rowView_data() {
        columns<QString, UpdateDot, QString, QString, QString>({"facts", "dot", "label", "button", "flags"});
        const char* restart = "Restart to update";
        const char* check = "Check for updates";
        dataRow("install error", R"({"installError":"died token=abc123","selected":"1.3.0"})", UpdateDot::red,
                INSTALL_FAILED "died •••", "Get installer", "+--");
        dataRow("tasks", R"({"selected":"1.3.0","tasks":2})", UpdateDot::orange,
                "Restart is available when 2 active task(s) finish.", restart, "-+-");
        dataRow("restart", R"({"selected":"1.3.0","update":{"state":"available"}})", UpdateDot::orange,
                "Restart to use app 1.3.0.", restart, "++-");
        dataRow("restart error", R"({"selected":"1.3.0","restartError":"Could not restart."})", UpdateDot::red,
                "Could not restart.", restart, "++-");
        dataRow("newer runtime", R"({"running":"1.4.0"})", UpdateDot::orange,
                "The new app could not be verified. Check the installation.", restart, "-+-");
        dataRow("no update state", "{}", UpdateDot::grey, "Not checked", check, "+--");
        dataRow("downloading", R"({"update":{"state":"downloading","available":true,"message":"1.4"}})",
                UpdateDot::blue, "1.4", "Update now", "--+");
        dataRow("check failed", R"({"update":{"state":"check_failed","error":"see token=abc123"}})", UpdateDot::red,
                "see •••", check, "+--");
        dataRow("disabled", R"({"update":{"state":"disabled"}})", UpdateDot::grey, "Automatic checks are disabled",
                check, "---");
        dataRow("ready", R"({"update":{"state":"ready","target_version":" 2.0.0\n","version":"1"}})", UpdateDot::orange,
                "Version 2.0.0 is available", "Update now", "+-+");
        dataRow("idle", R"({"update":{"state":"idle"}})", UpdateDot::green, "Up to date", check, "+--");
    }

    void rowView() {
        const auto [facts, dot, label, button, flags] =
            fetch<QString, UpdateDot, QString, QString, QString>({"facts", "dot", "label", "button", "flags"});
        const QJsonObject given = json(facts);
        const auto text = [&given](const char* key) {
            const QJsonValue value = given.value(QLatin1String(key));
            return value.isString() ? std::optional(value.toString()) : std::nullopt;
        };
        const std::optional<QJsonObject> update =
            given.contains(u"update") ? std::optional(given.value(u"update").toObject()) : std::nullopt;
        const UpdateRowView view =
            updateRowView({update, text("installError"), "1.2.3", text("selected"), text("running"),
                           text("restartError"), given.value(u"tasks").toInteger(), true, false},
                          Copy{});
        QCOMPARE(view.dot, dot);
        QCOMPARE(view.label, label);
        QCOMPARE(view.buttonTitle, button);
        QCOMPARE(QString() + sign(view.buttonEnabled) + sign(view.needsRestart) + sign(view.canInstall), flags);
    }

    // The button sends the action the row names; a restart attempt owns the row; a restart error lasts while needed.
    void rowSendsItsAction() {
        AreaHarness area;
        QTemporaryDir home; // no release is selected here
        area.platform.environment.insert("VODU_HOME", home.path());
        UpdateController update(area.context, std::nullopt);
        update.buildUpdateRow()->setParent(&area.parent);
        update.restartToUpdate(); // refused: nothing newer to restart into
        QVERIFY(update.restartError());
        for (const char* state : {"idle", "ready"}) {
            update.renderUpdate(json(QStringLiteral(R"({"state":"%1"})").arg(state)));
            QVERIFY(!update.restartError());
            area.view<QPushButton>("updateButton")->click();
        }
        QCOMPARE(area.commands.actions(), QStringList({"check_update", "update"}));
        area.link.quitInFlight = true;
        update.renderUpdate(json(R"({"state":"failed"})"));
        QCOMPARE(area.view<QLabel>("updateLabel")->text(), QStringLiteral("Update available"));
    }

    // A failed hand-over at launch (its text: tests/app/LaunchTest): the row on the App & updates tab, its button
    // opening the installer page of a valid configured workspace only.
    void installErrorOpensTheInstallerPage() {
        AreaHarness area;
        UpdateController update(area.context, QStringLiteral("Could not start the app update helper"));
        update.buildUpdateRow()->setParent(&area.parent);
        QSignalSpy settings(&update, &UpdateController::settingsRequested);
        update.showInstallError();
        QCOMPARE(settings.value(0).value(0).toInt(), 2);
        area.view<QPushButton>("updateButton")->click();
        area.platform.environment.insert("VODU_WEB_ORIGIN", "javascript:alert(1)");
        area.view<QPushButton>("updateButton")->click();
        QCOMPARE(area.platform.openedUrls, QList<QUrl>{QUrl("https://app.vodu.ai/download")});
        QVERIFY(area.commands.commands.isEmpty());
    }
};

VODU_TEST_SUITE(UpdateRowTest)
#include "UpdateRowTest.moc"
