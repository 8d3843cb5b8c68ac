#include "update/MacAppUpdate.h"
#include "InstallationHome.h"
#include "update/InstallProcess.h"

namespace {

// Table cells: "-" stands for an absent version.
std::optional<QString> version(const QString& text) {
    return text == u"-" ? std::nullopt : std::optional<QString>(text);
}

QChar sign(bool value) {
    return QChar(value ? u'+' : u'-');
}

} // namespace

class MacAppUpdateTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void isNewer_data() {
        QTest::addColumn<QString>("candidate");
        QTest::addColumn<QString>("than");
        QTest::addColumn<bool>("newer");
        QTest::newRow("numeric, not textual") << "1.10.0" << QStringLiteral("1.9.9") << true;
        QTest::newRow("and not the other way") << "1.9.9" << QStringLiteral("1.10.0") << false;
        QTest::newRow("equal") << "1.2.3" << QStringLiteral("1.2.3") << false;
        QTest::newRow("two components") << "1.2" << QStringLiteral("1.1.9") << false;
        QTest::newRow("four components") << "1.2.3.4" << QStringLiteral("1.2.3") << false;
        QTest::newRow("fullwidth digit") << "\uFF11.2.4" << QStringLiteral("1.2.3") << false;
        QTest::newRow("largest 64-bit component") << "1.2.9223372036854775807" << QStringLiteral("1.2.3") << true;
        QTest::newRow("component beyond 64 bits") << "1.2.9223372036854775808" << QStringLiteral("1.2.3") << false;
        QTest::newRow("absent candidate") << "-" << QStringLiteral("1.2.3") << false;
        QTest::newRow("absent base") << "1.2.4" << QStringLiteral("-") << false;
    }

    void isNewer() {
        QFETCH(QString, candidate);
        QFETCH(QString, than);
        QTEST(MacAppUpdate::isNewer(version(candidate), version(than)), "newer");
    }

    // Native 1.2.3; expected: needs a restart, can restart now, a newer app is there.
    void decision_data() {
        QTest::addColumn<QString>("runtime");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<int>("tasks");
        QTest::addColumn<bool>("connected");
        QTest::addColumn<QString>("expected");
        QTest::newRow("newer release, idle") << "1.2.3" << QStringLiteral("1.3.0") << 0 << true << "+++";
        QTest::newRow("newer release, a task") << "1.3.0" << QStringLiteral("1.3.0") << 1 << true << "+-+";
        QTest::newRow("newer release, offline") << "1.2.3" << QStringLiteral("1.3.0") << 0 << false << "+-+";
        QTest::newRow("newer service only") << "1.3.0" << QStringLiteral("-") << 0 << true << "+--";
        QTest::newRow("nothing newer") << "1.2.3" << QStringLiteral("1.2.3") << 0 << true << "---";
    }

    void decision() {
        QFETCH(QString, runtime);
        QFETCH(QString, selected);
        QFETCH(int, tasks);
        QFETCH(bool, connected);
        const MacAppUpdate::Decision decided =
            MacAppUpdate::decision(QStringLiteral("1.2.3"), version(runtime), version(selected), tasks, connected);
        QTEST(QString() + sign(decided.needsRestart) + sign(decided.canRestart) + sign(decided.newerApp), "expected");
    }

    // installer/current must be a link into installer/releases to a bundle of ours with a runnable launcher.
    void selectedRelease_data() {
        QTest::addColumn<QString>("target"); // what installer/current points at, under the home
        QTest::addColumn<bool>("selected");
        QTest::newRow("link") << "installer/releases/1/VODU.app" << true;
        QTest::newRow("relative link") << "releases/1/VODU.app" << true;
        QTest::newRow("VODU CLI.app") << "installer/releases/1/VODU CLI.app" << true;
        QTest::newRow("empty VODU_HOME uses HOME") << "home" << true;
        QTest::newRow("plain directory") << "directory" << false;
        QTest::newRow("link escaping releases") << "elsewhere/VODU.app" << false;
        QTest::newRow("sibling sharing the releases prefix") << "installer/releases-old/VODU.app" << false;
        QTest::newRow("wrong bundle name") << "installer/releases/1/Other.app" << false;
        QTest::newRow("launcher not executable") << "launcher" << false;
        QTest::newRow("wrong identifier") << "identifier" << false;
    }

    void selectedRelease() {
        QFETCH(QString, target);
        QFETCH(bool, selected);
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
        QTest::addColumn<QString>("runningFrom");
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("expected");
        QTest::newRow("baseline older than the selected release") << "baseline" << QStringLiteral("") << true;
        QTest::newRow("a failed hand-over is never repeated") << "baseline" << QStringLiteral("install error") << false;
        QTest::newRow("another identifier") << "baseline" << QStringLiteral("identifier") << false;
        QTest::newRow("flag as text") << "baseline" << QStringLiteral("flag as text") << false;
        QTest::newRow("no selected release") << "baseline" << QStringLiteral("no selection") << false;
        QTest::newRow("running from the release, not older") << "release" << QStringLiteral("version 9.0.0") << true;
        QTest::newRow("running from it through a link") << "release link" << QStringLiteral("") << true;
        QTest::newRow("running from anywhere else") << "elsewhere" << QStringLiteral("") << false;
        QTest::newRow("baseline at the selected version") << "baseline" << QStringLiteral("version 1.3.0") << false;
        QTest::newRow("the release is the baseline")
            << "release as baseline" << QStringLiteral("version 1.3.0") << false;
    }

    void shouldInstallCanonical() {
        QFETCH(QString, runningFrom);
        QFETCH(QString, change);
        QFETCH(bool, expected);
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
