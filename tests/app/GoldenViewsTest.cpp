// What the user sees, view by view, compared with a reviewed copy in tests/app/golden/. Any change to a name, a
// text, a flag or a list item shows up as a diff of those files. VODU_UPDATE_GOLDEN=1 rewrites them.
#include "Harness.h"
#include "ScriptedHost.h"
#include "TestRegistry.h"
#include "Views.h"
#include "app/AutomationOutput.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Every named view as the app's automation output describes it, one line "name {json}" each, without geometry (fonts
// differ between machines), sorted; views that share a name are told apart by their content rather than by the order
// they were built in.
QByteArray describeScreen(const AppDelegate& app) {
    const auto* output = app.findChild<AutomationOutput*>();
    if (!output) {
        return QByteArrayLiteral("no automation output\n");
    }
    const QJsonObject description = output->describe();
    static const QRegularExpression copyNumber(QStringLiteral("#\\d+$"));
    QList<QByteArray> lines;
    for (auto entry = description.begin(); entry != description.end(); ++entry) {
        QJsonObject fields = entry.value().toObject();
        for (const char* geometry : {"x", "y", "width", "height"}) {
            fields.remove(QLatin1String(geometry));
        }
        QString name = entry.key();
        name.remove(copyNumber);
        lines.append(name.toUtf8() + ' ' + QJsonDocument(fields).toJson(QJsonDocument::Compact));
    }
    std::sort(lines.begin(), lines.end());
    return lines.join('\n') + '\n';
}

void compareWithGolden(const QByteArray& actual, const QString& name) {
    const QString path = TestBundle::sourcePath(QStringLiteral("tests/app/golden/") + name + QStringLiteral(".txt"));
    QFile file(path);
    if (qEnvironmentVariableIntValue("VODU_UPDATE_GOLDEN") == 1) {
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(actual) == actual.size());
        return;
    }
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path + QStringLiteral(" is missing")));
    QCOMPARE(actual.split('\n'), file.readAll().split('\n')); // names the first line that differs
}

} // namespace

class GoldenViewsTest final : public QObject {
    Q_OBJECT

    QTemporaryDir m_output;

private Q_SLOTS:
    void preview_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("fixture");
        QTest::newRow("preview-en") << "en-US"
                                    << "preview-en.json";
        QTest::newRow("preview-ja") << "ja-JP"
                                    << "preview-ja.json";
    }

    void preview() {
        QFETCH(QString, language);
        QFETCH(QString, fixture);
        Harness harness({language}, Harness::Build::nothing);
        harness.fake->environment.insert(QStringLiteral("VODU_AUTOMATION_DIR"), m_output.path());
        harness.app().applicationDidFinishLaunching({QStringLiteral("vodu-status"), QStringLiteral("--status-fixture"),
                                                     TestBundle::sourcePath(QStringLiteral("fixtures/") + fixture)});
        QCoreApplication::processEvents();
        compareWithGolden(describeScreen(harness.app()), QString::fromLatin1(QTest::currentDataTag()));
    }

    void scriptedHost() {
        Harness harness;
        harness.fake->environment.insert(
            QStringLiteral("SCRIPTED_HOST_STATUS"),
            QString::fromUtf8(R"({
            "sampledAt": "2026-12-06T08:59:58Z", "webOrigin": "WEB",
            "connection": {"state": "online", "lastSuccessAt": "2026-12-06T08:59:00Z"},
            "providers": {"codex": {"state": "ready", "version": "0.46.0"}, "claude": {"state": "missing"}},
            "pluginSetup": {"state": "ready", "refreshPending": true},
            "deliveryHooks": {"providers": {"codex": {"state": "observed"}},
                "runs": [{"provider": "codex", "session": "s1", "taskId": "t1", "state": "blocked",
                          "needsAttention": true, "reason": "Waiting for approval"}]},
            "sessionSupervision": {"providers": {"claude": {"discovery": "unavailable", "reason": "No folder"}},
                "sessions": [{"provider": "codex", "session": "s1", "title": "Fix the build"}]},
            "tasks": {"activeCount": 2, "items": [{"key": "t1", "label": "Write the report", "state": "running"},
                                                   {"key": "t2", "label": "Review", "state": "succeeded"}]},
            "update": {"state": "current"}})")
                .replace(QStringLiteral("WEB"), QStringLiteral("https:/") + u'/' + QStringLiteral("app.vodu.ai")));
        harness.fake->environment.insert(QStringLiteral("VODU_AUTOMATION_DIR"), m_output.path());
        harness.app().startAutomationOutput();
        harness.app().showWindow();
        ScriptedHost host(harness, QStringLiteral("answer"));
        QVERIFY(host.ready());
        QTRY_VERIFY(view<QLabel>("footer")->text().startsWith(QStringLiteral("Open Connection")));
        QTRY_VERIFY(host.actions().contains(QStringLiteral("task_detail")));
        QCoreApplication::processEvents();
        compareWithGolden(describeScreen(harness.app()), QStringLiteral("scripted-host"));
    }
};

VODU_TEST_SUITE(GoldenViewsTest)
#include "GoldenViewsTest.moc"
