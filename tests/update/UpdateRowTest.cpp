#include "update/UpdateRow.h"
#include "AreaHarness.h"
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
        QTest::addColumn<QByteArray>("facts");
        QTest::addColumn<UpdateDot>("dot");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("flags");
        const auto row = [](const char* facts, UpdateDot dot, const char* label, const char* button,
                            const char* flags) {
            QTest::newRow(facts) << QByteArray(facts) << dot << QString::fromUtf8(label) << QString::fromUtf8(button)
                                 << QString::fromLatin1(flags);
        };
        const char* restart = "Restart to update";
        const char* check = "Check for updates";
        row(R"({"installError":"died token=abc123","selected":"1.3.0"})", UpdateDot::red, INSTALL_FAILED "died •••",
            "Get installer", "+--");
        row(R"({"selected":"1.3.0","tasks":2})", UpdateDot::orange,
            "Restart is available when 2 active task(s) finish.", restart, "-+-");
        row(R"({"selected":"1.3.0","update":{"state":"available"}})", UpdateDot::orange, "Restart to use app 1.3.0.",
            restart, "++-");
        row(R"({"selected":"1.3.0","restartError":"Could not restart."})", UpdateDot::red, "Could not restart.",
            restart, "++-");
        row(R"({"running":"1.4.0"})", UpdateDot::orange, "The new app could not be verified. Check the installation.",
            restart, "-+-");
        row("{}", UpdateDot::grey, "Not checked", check, "+--");
        row(R"({"update":{"state":"downloading","available":true,"message":"1.4"}})", UpdateDot::blue, "1.4",
            "Update now", "--+");
        row(R"({"update":{"state":"check_failed","error":"see token=abc123"}})", UpdateDot::red, "see •••", check,
            "+--");
        row(R"({"update":{"state":"disabled"}})", UpdateDot::grey, "Automatic checks are disabled", check, "---");
        row(R"({"update":{"state":"ready","target_version":" 2.0.0\n","version":"1"}})", UpdateDot::orange,
            "Version 2.0.0 is available", "Update now", "+-+");
        row(R"({"update":{"state":"idle"}})", UpdateDot::green, "Up to date", check, "+--");
    }

    void rowView() {
        QFETCH(QByteArray, facts);
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
        const auto sign = [](bool value) {
            return QChar(value ? u'+' : u'-');
        };
        QTEST(view.dot, "dot");
        QTEST(view.label, "label");
        QTEST(view.buttonTitle, "button");
        QTEST(QString() + sign(view.buttonEnabled) + sign(view.needsRestart) + sign(view.canInstall), "flags");
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
