#include "update/MacAppUpdate.h"
#include "DataTables.h"
#include "InstallationHome.h"
#include "update/InstallProcess.h"

namespace {

// Table cells: "-" stands for an absent version.
std::optional<QString> version(const QString& text) {
    return text == u"-" ? std::nullopt : std::optional<QString>(text);
}

} // namespace

class MacAppUpdateTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void isNewer_data() {
        columns<QString, QString, bool>({"candidate", "than", "newer"});
        dataRow("numeric, not textual", "1.10.0", "1.9.9", true);
        dataRow("and not the other way", "1.9.9", "1.10.0", false);
        dataRow("equal", "1.2.3", "1.2.3", false);
        dataRow("not three components", "1.2.3.4", "1.2.3", false);
        dataRow("fullwidth digit", "\uFF11.2.4", "1.2.3", false);
        dataRow("largest 64-bit component", "1.2.9223372036854775807", "1.2.3", true);
        dataRow("component beyond 64 bits", "1.2.9223372036854775808", "1.2.3", false);
        dataRow("absent candidate", "-", "1.2.3", false);
        dataRow("absent base", "1.2.4", "-", false);
    }

    void isNewer() {
        const auto [candidate, than, newer] = fetch<QString, QString, bool>({"candidate", "than", "newer"});
        QCOMPARE(MacAppUpdate::isNewer(version(candidate), version(than)), newer);
    }

    // Native 1.2.3; expected: needs a restart, can restart now, a newer app is there.
    void decision_data() {
        columns<QString, QString, int, bool, QString>({"runtime", "selected", "tasks", "connected", "expected"});
        dataRow("newer release, idle", "1.2.3", "1.3.0", 0, true, "+++");
        dataRow("newer release, a task", "1.3.0", "1.3.0", 1, true, "+-+");
        dataRow("newer release, offline", "1.2.3", "1.3.0", 0, false, "+-+");
        dataRow("newer service only", "1.3.0", "-", 0, true, "+--");
        dataRow("nothing newer", "1.2.3", "1.2.3", 0, true, "---");
    }

    void decision() {
        const auto [runtime, selected, tasks, connected, expected] =
            fetch<QString, QString, int, bool, QString>({"runtime", "selected", "tasks", "connected", "expected"});
        const MacAppUpdate::Decision decided =
            MacAppUpdate::decision(QStringLiteral("1.2.3"), version(runtime), version(selected), tasks, connected);
        QCOMPARE(QString() + sign(decided.needsRestart) + sign(decided.canRestart) + sign(decided.newerApp), expected);
    }

    // installer/current must be a link into installer/releases to a bundle of ours with a runnable launcher.
    void selectedRelease_data() {
        columns<QString, bool>({"target", "selected"}); // what installer/current points at, under the home
        dataRow("relative link", "releases/1/VODU.app", true);
        dataRow("link to VODU CLI.app", "installer/releases/1/VODU CLI.app", true);
        dataRow("empty VODU_HOME uses HOME", "home", true);
        dataRow("plain directory", "directory", false);
        dataRow("link escaping releases", "elsewhere/VODU.app", false);
        dataRow("sibling sharing the releases prefix", "installer/releases-old/VODU.app", false);
        dataRow("wrong bundle name", "installer/releases/1/Other.app", false);
        dataRow("launcher not executable", "launcher", false);
        dataRow("wrong identifier", "identifier", false);
    }

    void selectedRelease() {
        const auto [target, selected] = fetch<QString, bool>({"target", "selected"});
        InstallationHome home;
        QProcessEnvironment environment = home.environment();
        QString bundle = home.releases() + "/1/VODU.app";
        if (target.contains(u'/')) {
            bundle = makeBundle(target.startsWith(u"installer") || target.startsWith(u"elsewhere")
                                    ? home.path() + '/' + target
                                    : home.releases() + '/' + target.section('/', 1));
            QVERIFY(home.select(target.startsWith(u"releases") ? target : bundle));
        } else if (target == u"directory") {
            makeBundle(home.current());
        } else {
            QVERIFY(home.select(
                makeBundle(bundle, "1.3.0", target == u"identifier" ? "com.zuzi.vodu.other" : "com.zuzi.vodu.cli")));
            QVERIFY(target != u"launcher" || QFile::setPermissions(bundle + "/Contents/MacOS/vodu", QFile::ReadOwner));
            if (target == u"home") {
                QVERIFY(QFile::link(home.path(), home.path() + "/.vodu"));
                environment.insert("VODU_HOME", QString());
                environment.insert("HOME", home.path());
            }
        }
        QCOMPARE(MacAppUpdate::selectedAppURL(environment),
                 selected ? std::optional(QFileInfo(bundle).canonicalFilePath()) : std::nullopt);
        QCOMPARE(MacAppUpdate::selectedAppVersion(environment),
                 selected ? std::optional<QString>("1.3.0") : std::nullopt);
    }

    // Where the app runs from, and one change to a good setup; the baseline is named through a link. A preview never
    // hands over.
    void shouldInstallCanonical_data() {
        columns<QString, QString, bool>({"runningFrom", "change", "expected"});
        dataRow("baseline older than the selected release", "baseline", "", true);
        dataRow("a failed hand-over is never repeated", "baseline", "install error", false);
        dataRow("another identifier", "baseline", "identifier", false);
        dataRow("flag as text", "baseline", "flag as text", false);
        dataRow("no selected release", "baseline", "no selection", false);
        dataRow("running from the release, not older", "release", "version 9.0.0", true);
        dataRow("running from it through a link", "release link", "", true);
        dataRow("running from anywhere else", "elsewhere", "", false);
        dataRow("baseline at the selected version", "baseline", "version 1.3.0", false);
        dataRow("the release is the baseline", "release as baseline", "version 1.3.0", false);
    }

    void shouldInstallCanonical() {
        const auto [runningFrom, change, expected] =
            fetch<QString, QString, bool>({"runningFrom", "change", "expected"});
        InstallationHome home;
        const QString release = home.selectRelease();
        QVERIFY(change != u"no selection" || QFile::remove(home.current()));
        const QString baseline = makeBundle(home.path() + "/opt/VODU.app");
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
            directory = makeBundle(home.path() + "/copy/VODU.app");
        }
        const AppBundle bundle{directory, information};
        QCOMPARE(MacAppUpdate::shouldInstallCanonical(bundle, environment), expected);
        QCOMPARE(handOverAtLaunch({"vodu-status"}, bundle, environment, 777),
                 expected ? LaunchHandOver::started : LaunchHandOver::notNeeded);
        QCOMPARE(handOverAtLaunch({"vodu-status", "--status-fixture", "x.json"}, bundle, environment, 777),
                 LaunchHandOver::notNeeded);
    }
};

VODU_TEST_SUITE(MacAppUpdateTest)
#include "MacAppUpdateTest.moc"
