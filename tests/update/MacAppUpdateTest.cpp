#include "update/MacAppUpdate.h"
#include "InstallationHome.h"
#include "update/InstallProcess.h"

namespace {

// Table cells: "-" stands for an absent version.
std::optional<QString> version(const QString& text) {
    return text == u"-" ? std::nullopt : std::optional<QString>(text);
}

const struct {
    const char *name, *candidate, *than;
    bool newer;
} kVersions[] = {
    {"numeric, not textual", "1.10.0", "1.9.9", true},
    {"and not the other way", "1.9.9", "1.10.0", false},
    {"patch", "1.2.4", "1.2.3", true},
    {"equal", "1.2.3", "1.2.3", false},
    {"two components", "1.2", "1.1.9", false},
    {"four components", "1.2.3.4", "1.2.3", false},
    {"leading letter", "v1.2.4", "1.2.3", false},
    {"fullwidth digit", "\uFF11.2.4", "1.2.3", false},
    {"largest 64-bit component", "1.2.9223372036854775807", "1.2.3", true},
    {"component beyond 64 bits", "1.2.9223372036854775808", "1.2.3", false},
    {"absent candidate", "-", "1.2.3", false},
    {"absent base", "1.2.4", "-", false},
};

const struct {
    const char *name, *native, *runtime, *selected;
    qint64 tasks;
    bool connected, needsRestart, canRestart, newerApp;
} kDecisions[] = {
    // facts, then the expected needsRestart, canRestart, newerApp
    {"newer release, idle and connected", "1.2.3", "1.2.3", "1.3.0", 0, true, true, true, true},
    {"newer release, two tasks running", "1.2.3", "1.3.0", "1.3.0", 2, true, true, false, true},
    {"newer release, disconnected", "1.2.3", "1.2.3", "1.3.0", 0, false, true, false, true},
    {"newer service without a verified release", "1.2.3", "1.3.0", "-", 0, true, true, false, false},
    {"nothing newer", "1.2.3", "1.2.3", "1.2.3", 0, true, false, false, false},
    {"unreadable bundle version", "-", "1.3.0", "1.3.0", 0, true, false, false, false},
};

// How the app is started (where from, and one change to a good setup), and whether it hands over.
const struct {
    const char *name, *runningFrom, *change;
    bool expected;
} kCanonical[] = {
    {"baseline older than the selected release", "baseline", "", true},
    {"a failed hand-over is never repeated", "baseline", "install error", false},
    {"another identifier", "baseline", "identifier", false},
    {"flag as text", "baseline", "flag as text", false},
    {"no selected release", "baseline", "no selection", false},
    {"running from the selected release, even when not older", "release", "version 9.0.0", true},
    {"running from it through a link", "release link", "", true},
    {"running from anywhere else", "elsewhere", "", false},
    {"baseline already at the selected version", "baseline", "version 1.3.0", false},
    {"the selected release is the baseline, same version", "release as baseline", "version 1.3.0", false},
};

} // namespace

class MacAppUpdateTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void isNewer_data() { addRows(kVersions); }

    void isNewer() {
        QFETCH(int, row);
        const auto& given = kVersions[row];
        QCOMPARE(MacAppUpdate::isNewer(version(given.candidate), version(given.than)), given.newer);
    }

    void decision_data() { addRows(kDecisions); }

    void decision() {
        QFETCH(int, row);
        const auto& given = kDecisions[row];
        const MacAppUpdate::Decision decided = MacAppUpdate::decision(
            version(given.native), version(given.runtime), version(given.selected), given.tasks, given.connected);
        QCOMPARE(decided.needsRestart, given.needsRestart);
        QCOMPARE(decided.canRestart, given.canRestart);
        QCOMPARE(decided.newerApp, given.newerApp);
    }

    void selectedRelease_data() {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<bool>("selected");
        for (const char* accepted :
             {"link", "relative link", "VODU CLI.app", "releases is itself a link", "empty VODU_HOME uses HOME"}) {
            QTest::newRow(accepted) << QString::fromLatin1(accepted) << true;
        }
        for (const char* refused : {"plain directory", "link escaping releases", "sibling sharing the releases prefix",
                                    "wrong bundle name", "launcher not executable", "wrong identifier"}) {
            QTest::newRow(refused) << QString::fromLatin1(refused) << false;
        }
    }

    void selectedRelease() {
        QFETCH(QString, layout);
        QFETCH(bool, selected);
        InstallationHome home;
        QProcessEnvironment environment = home.environment();
        QString expected = home.addRelease("1.3.0");
        TestRelease other;
        if (layout == u"link") {
            QVERIFY(home.select(expected));
        } else if (layout == u"relative link") {
            QVERIFY(home.select("releases/1.3.0/VODU.app"));
        } else if (layout == u"VODU CLI.app") {
            other.name = "VODU CLI.app";
            QVERIFY(home.select(expected = home.addRelease("cli", other)));
        } else if (layout == u"releases is itself a link") {
            const QString moved = home.path() + "/moved";
            QVERIFY(QDir().rename(home.releases(), moved) && QFile::link(moved, home.releases()));
            QVERIFY(home.select(home.releases() + "/1.3.0/VODU.app"));
        } else if (layout == u"empty VODU_HOME uses HOME") {
            QVERIFY(QFile::link(home.path(), home.path() + "/.vodu") && home.select(expected));
            environment.insert("VODU_HOME", QString());
            environment.insert("HOME", home.path());
        } else if (layout == u"plain directory") {
            InstallationHome::makeBundle(home.current());
        } else if (layout == u"link escaping releases") {
            QVERIFY(home.select(InstallationHome::makeBundle(home.path() + "/elsewhere/VODU.app")));
        } else if (layout == u"sibling sharing the releases prefix") {
            QVERIFY(home.select(InstallationHome::makeBundle(home.releases() + "-old/VODU.app")));
        } else { // one flaw in an otherwise good release
            other.name = layout == u"wrong bundle name" ? "Other.app" : "VODU.app";
            other.executableLauncher = layout != u"launcher not executable";
            other.identifier = layout == u"wrong identifier" ? "com.zuzi.vodu.other" : other.identifier;
            QVERIFY(home.select(home.addRelease("other", other)));
        }
        const auto found = MacAppUpdate::selectedAppURL(environment);
        QCOMPARE(found, selected ? std::optional(QFileInfo(expected).canonicalFilePath()) : std::nullopt);
        QCOMPARE(MacAppUpdate::selectedAppVersion(environment),
                 selected ? std::optional<QString>("1.3.0") : std::nullopt);
    }

    void shouldInstallCanonical_data() { addRows(kCanonical); }

    void shouldInstallCanonical() {
        QFETCH(int, row);
        const QString runningFrom = QString::fromLatin1(kCanonical[row].runningFrom);
        const QString change = QString::fromLatin1(kCanonical[row].change);
        InstallationHome home;
        const QString release = home.addRelease("1.3.0");
        if (change != u"no selection") {
            QVERIFY(home.select(release));
        }
        // The baseline is named through a link, so both sides must be resolved to compare.
        const QString baseline = InstallationHome::makeBundle(home.path() + "/opt/VODU.app");
        QVERIFY(QFile::link(home.path() + "/opt", home.path() + "/opt-link"));
        const QJsonObject information{
            {"CFBundleIdentifier", change == u"identifier" ? "com.zuzi.vodu.cli.test" : "com.zuzi.vodu.cli"},
            {"CFBundleShortVersionString", change.startsWith(u"version ") ? change.mid(8) : "1.2.3"},
            {"VODUCanonicalDesktopUpdate", change == u"flag as text" ? QJsonValue("true") : QJsonValue(true)},
            {"VODUBaselineAppPath",
             runningFrom == u"release as baseline" ? release : home.path() + "/opt-link/VODU.app"}};
        QProcessEnvironment environment = home.environment();
        if (change == u"install error") {
            environment.insert("VODU_DESKTOP_INSTALL_ERROR", QString());
        }
        QString directory = runningFrom.startsWith(u"release") ? release : baseline;
        if (runningFrom == u"release link") {
            QVERIFY(QFile::link(release, directory = home.path() + "/VODU.app"));
        } else if (runningFrom == u"elsewhere") {
            directory = InstallationHome::makeBundle(home.path() + "/copy/VODU.app");
        }
        QCOMPARE(MacAppUpdate::shouldInstallCanonical(AppBundle{directory, information}, environment),
                 kCanonical[row].expected);
    }

    // The launch check in main: never for a fixture preview; a launcher that cannot run is reported, so the app
    // starts and shows the failure.
    void launchCheck() {
        InstallationHome home;
        QVERIFY(home.select(home.addRelease("1.3.0")));
        const QString baseline = InstallationHome::makeBundle(home.path() + "/opt/VODU.app");
        QVERIFY(installRecordingLauncher(baseline));
        const AppBundle bundle{baseline,
                               {{"CFBundleIdentifier", "com.zuzi.vodu.cli"},
                                {"CFBundleShortVersionString", "1.2.3"},
                                {"VODUCanonicalDesktopUpdate", true},
                                {"VODUBaselineAppPath", baseline}}};
        QProcessEnvironment environment = home.environment();
        const QString record = home.path() + "/record";
        environment.insert("LAUNCHER_RECORD", record);
        const QStringList plain{"vodu-status"};

        QCOMPARE(handOverAtLaunch(plain + QStringList{"--status-fixture", "x.json"}, bundle, environment, 777),
                 LaunchHandOver::notNeeded);
        QVERIFY(!QFileInfo::exists(home.log()));
        QCOMPARE(handOverAtLaunch(plain, bundle, environment, 777), LaunchHandOver::started);
        QTRY_COMPARE(fileLines(record).mid(0, 2), QStringList({"arg --install-selected-desktop", "arg 777"}));
        QVERIFY(QFile::setPermissions(baseline + "/Contents/MacOS/vodu", QFile::ReadOwner));
        QCOMPARE(handOverAtLaunch(plain, bundle, environment, 777), LaunchHandOver::failed);
    }
};

VODU_TEST_SUITE(MacAppUpdateTest)
#include "MacAppUpdateTest.moc"
