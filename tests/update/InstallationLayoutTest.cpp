#include "InstallationHome.h"
#include "TestRegistry.h"
#include "update/InstallProcess.h"
#include "update/MacAppUpdate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace {

QString sourceFile(const QString& relative) {
    return qEnvironmentVariable("VODU_SOURCE_DIR") + QLatin1Char('/') + relative;
}

} // namespace

class InstallationLayoutTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void selectedRelease_data() {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<bool>("selected");
        for (const char* accepted : {"link to a release", "relative link", "named VODU CLI.app",
                                     "releases is itself a link", "empty VODU_HOME falls back to HOME"}) {
            QTest::newRow(accepted) << QString::fromLatin1(accepted) << true;
        }
        for (const char* refused :
             {"plain directory instead of a link", "link escaping releases", "link escaping through ..",
              "sibling folder sharing the releases prefix", "wrong bundle name", "launcher not executable",
              "wrong identifier", "dangling link"}) {
            QTest::newRow(refused) << QString::fromLatin1(refused) << false;
        }
    }

    void selectedRelease() {
        QFETCH(QString, layout);
        QFETCH(bool, selected);
        InstallationHome home;
        QProcessEnvironment environment = home.environment();
        QString expected = home.addRelease(QStringLiteral("1.3.0"));
        InstallationHome::Release release;
        if (layout == u"link to a release") {
            QVERIFY(home.select(expected));
        } else if (layout == u"relative link") {
            QVERIFY(home.select(QStringLiteral("releases/1.3.0/VODU.app")));
        } else if (layout == u"named VODU CLI.app") {
            release.name = QStringLiteral("VODU CLI.app");
            expected = home.addRelease(QStringLiteral("cli"), release);
            QVERIFY(home.select(expected));
        } else if (layout == u"releases is itself a link") {
            const QString moved = home.path() + QStringLiteral("/storage/releases");
            QVERIFY(QDir().mkpath(home.path() + QStringLiteral("/storage")));
            QVERIFY(QDir().rename(home.releases(), moved));
            QVERIFY(QFile::link(moved, home.releases()));
            QVERIFY(home.select(home.releases() + QStringLiteral("/1.3.0/VODU.app")));
            expected = moved + QStringLiteral("/1.3.0/VODU.app");
        } else if (layout == u"empty VODU_HOME falls back to HOME") {
            QVERIFY(QDir().rename(home.installer(), home.path() + QStringLiteral("/.vodu-installer")));
            QVERIFY(QDir().mkpath(home.path() + QStringLiteral("/user/.vodu")));
            QVERIFY(QDir().rename(home.path() + QStringLiteral("/.vodu-installer"),
                                  home.path() + QStringLiteral("/user/.vodu/installer")));
            QVERIFY(QFile::link(QStringLiteral("releases/1.3.0/VODU.app"),
                                home.path() + QStringLiteral("/user/.vodu/installer/current")));
            environment.insert(QStringLiteral("VODU_HOME"), QString());
            environment.insert(QStringLiteral("HOME"), home.path() + QStringLiteral("/user"));
            expected = home.path() + QStringLiteral("/user/.vodu/installer/releases/1.3.0/VODU.app");
        } else if (layout == u"plain directory instead of a link") {
            InstallationHome::makeBundle(home.current(), release);
        } else if (layout == u"link escaping releases") {
            QVERIFY(home.select(
                InstallationHome::makeBundle(home.path() + QStringLiteral("/elsewhere/VODU.app"), release)));
        } else if (layout == u"link escaping through ..") {
            InstallationHome::makeBundle(home.path() + QStringLiteral("/elsewhere/VODU.app"), release);
            QVERIFY(home.select(home.releases() + QStringLiteral("/../../elsewhere/VODU.app")));
        } else if (layout == u"sibling folder sharing the releases prefix") {
            QVERIFY(home.select(
                InstallationHome::makeBundle(home.installer() + QStringLiteral("/releases-old/VODU.app"), release)));
        } else if (layout == u"wrong bundle name") {
            release.name = QStringLiteral("Other.app");
            QVERIFY(home.select(home.addRelease(QStringLiteral("other"), release)));
        } else if (layout == u"launcher not executable") {
            release.executableLauncher = false;
            QVERIFY(home.select(home.addRelease(QStringLiteral("plain"), release)));
        } else if (layout == u"wrong identifier") {
            release.identifier = QStringLiteral("com.zuzi.vodu.other");
            QVERIFY(home.select(home.addRelease(QStringLiteral("other"), release)));
        } else if (layout == u"dangling link") {
            QVERIFY(home.select(home.releases() + QStringLiteral("/9.9.9/VODU.app")));
        }
        const std::optional<QString> found = MacAppUpdate::selectedAppURL(environment);
        QCOMPARE(found.has_value(), selected);
        if (selected) {
            QCOMPARE(*found, QFileInfo(expected).canonicalFilePath());
            QCOMPARE(MacAppUpdate::selectedAppVersion(environment), std::optional<QString>(QStringLiteral("1.3.0")));
        } else {
            QVERIFY(!MacAppUpdate::selectedAppVersion(environment));
        }
    }

    void baselineExecutable() {
        AppBundle bundle;
        QCOMPARE(MacAppUpdate::baselineExecutable(bundle),
                 QStringLiteral("/Applications/VODU.app/Contents/MacOS/vodu"));
        bundle.information.insert(QStringLiteral("VODUBaselineAppPath"), QStringLiteral("/opt/VODU.app/"));
        QCOMPARE(MacAppUpdate::baselineExecutable(bundle), QStringLiteral("/opt/VODU.app/Contents/MacOS/vodu"));
        bundle.information.insert(QStringLiteral("VODUBaselineAppPath"), 3);
        QCOMPARE(MacAppUpdate::baselineExecutable(bundle),
                 QStringLiteral("/Applications/VODU.app/Contents/MacOS/vodu"));
    }

    void shouldInstallCanonical_data() {
        QTest::addColumn<QString>("runningFrom"); // baseline, release, release link, elsewhere
        QTest::addColumn<QJsonObject>("information");
        QTest::addColumn<bool>("installError");
        QTest::addColumn<bool>("selection");
        QTest::addColumn<bool>("expected");
        const QJsonObject base{{"CFBundleIdentifier", "com.zuzi.vodu.cli"},
                               {"CFBundleShortVersionString", "1.2.3"},
                               {"VODUCanonicalDesktopUpdate", true}};
        const auto with = [&base](const char* key, const QJsonValue& value) {
            QJsonObject changed = base;
            if (value.isUndefined()) {
                changed.remove(QString::fromLatin1(key));
            } else {
                changed.insert(QString::fromLatin1(key), value);
            }
            return changed;
        };
        QTest::newRow("baseline, selected release newer") << "baseline" << base << false << true << true;
        QTest::newRow("1: a failed hand-over is never repeated") << "baseline" << base << true << true << false;
        QTest::newRow("2: another identifier")
            << "baseline" << with("CFBundleIdentifier", "com.zuzi.vodu.cli.test") << false << true << false;
        QTest::newRow("3: flag missing") << "baseline" << with("VODUCanonicalDesktopUpdate", QJsonValue::Undefined)
                                         << false << true << false;
        QTest::newRow("3: flag as text") << "baseline" << with("VODUCanonicalDesktopUpdate", "true") << false << true
                                         << false;
        QTest::newRow("4: no selected release") << "baseline" << base << false << false << false;
        QTest::newRow("5: running from the selected release, even when not older")
            << "release" << with("CFBundleShortVersionString", "9.0.0") << false << true << true;
        QTest::newRow("5: running from it through a link") << "release link" << base << false << true << true;
        QTest::newRow("6: running from anywhere else") << "elsewhere" << base << false << true << false;
        QTest::newRow("7: baseline already at the selected version")
            << "baseline" << with("CFBundleShortVersionString", "1.3.0") << false << true << false;
        QTest::newRow("7: baseline version unreadable")
            << "baseline" << with("CFBundleShortVersionString", "1.2") << false << true << false;
    }

    void shouldInstallCanonical() {
        QFETCH(QString, runningFrom);
        QFETCH(QJsonObject, information);
        QFETCH(bool, installError);
        QFETCH(bool, selection);
        InstallationHome home;
        const QString release = home.addRelease(QStringLiteral("1.3.0"));
        if (selection) {
            QVERIFY(home.select(release));
        }
        const QString baseline =
            InstallationHome::makeBundle(home.path() + QStringLiteral("/opt/VODU.app"), InstallationHome::Release{});
        // The baseline is named by a path with a link in it, so both sides must be resolved to compare.
        QVERIFY(QFile::link(home.path() + QStringLiteral("/opt"), home.path() + QStringLiteral("/opt-link")));
        information.insert(QStringLiteral("VODUBaselineAppPath"), home.path() + QStringLiteral("/opt-link/VODU.app"));
        QProcessEnvironment environment = home.environment();
        if (installError) {
            environment.insert(QStringLiteral("VODU_DESKTOP_INSTALL_ERROR"), QString());
        }
        AppBundle bundle{baseline, information};
        if (runningFrom == u"release") {
            bundle.directory = release;
        } else if (runningFrom == u"release link") {
            QVERIFY(QFile::link(release, home.path() + QStringLiteral("/VODU.app")));
            bundle.directory = home.path() + QStringLiteral("/VODU.app");
        } else if (runningFrom == u"elsewhere") {
            bundle.directory = InstallationHome::makeBundle(home.path() + QStringLiteral("/copy/VODU.app"),
                                                            InstallationHome::Release{});
        }
        QTEST(MacAppUpdate::shouldInstallCanonical(bundle, environment), "expected");
    }

    void selectedReleaseThatIsTheBaselineComparesVersions() {
        InstallationHome home;
        const QString release = home.addRelease(QStringLiteral("1.3.0"));
        QVERIFY(home.select(release));
        AppBundle bundle{release,
                         {{"CFBundleIdentifier", "com.zuzi.vodu.cli"},
                          {"CFBundleShortVersionString", "1.2.3"},
                          {"VODUCanonicalDesktopUpdate", true},
                          {"VODUBaselineAppPath", release}}};
        QVERIFY(MacAppUpdate::shouldInstallCanonical(bundle, home.environment()));
        bundle.information.insert(QStringLiteral("CFBundleShortVersionString"), QStringLiteral("1.3.0"));
        QVERIFY(!MacAppUpdate::shouldInstallCanonical(bundle, home.environment()));
    }

    void launchCheckHandsOverOnlyWhenItMust() {
        InstallationHome home;
        QVERIFY(home.select(home.addRelease(QStringLiteral("1.3.0"))));
        const QString baseline =
            InstallationHome::makeBundle(home.path() + QStringLiteral("/opt/VODU.app"), InstallationHome::Release{});
        const QString launcher = baseline + QStringLiteral("/Contents/MacOS/vodu");
        QFile::remove(launcher);
        QVERIFY(QFile::copy(sourceFile(QStringLiteral("tests/fixtures/recording-launcher.sh")), launcher));
        QVERIFY(QFile::setPermissions(launcher, QFile::ReadOwner | QFile::ExeOwner));
        const AppBundle bundle{baseline,
                               {{"CFBundleIdentifier", "com.zuzi.vodu.cli"},
                                {"CFBundleShortVersionString", "1.2.3"},
                                {"VODUCanonicalDesktopUpdate", true},
                                {"VODUBaselineAppPath", baseline}}};
        QProcessEnvironment environment = home.environment();
        const QString record = home.path() + QStringLiteral("/record");
        environment.insert(QStringLiteral("LAUNCHER_RECORD"), record);

        // Previewing a fixture never hands over, and starts nothing.
        QCOMPARE(handOverAtLaunch(
                     {QStringLiteral("vodu-status"), QStringLiteral("--status-fixture"), QStringLiteral("x.json")},
                     bundle, environment, 777),
                 LaunchHandOver::notNeeded);
        QVERIFY(!QFileInfo::exists(home.installer() + QStringLiteral("/desktop-update.log")));

        QCOMPARE(handOverAtLaunch({QStringLiteral("vodu-status")}, bundle, environment, 777), LaunchHandOver::started);
        QTRY_COMPARE(fileLines(record).mid(0, 2),
                     QStringList({QStringLiteral("arg --install-selected-desktop"), QStringLiteral("arg 777")}));

        // The launcher cannot run: reported, so the app starts and shows the failure.
        QVERIFY(QFile::setPermissions(launcher, QFile::ReadOwner));
        QCOMPARE(handOverAtLaunch({QStringLiteral("vodu-status")}, bundle, environment, 777), LaunchHandOver::failed);
    }
};

VODU_TEST_SUITE(InstallationLayoutTest)
#include "InstallationLayoutTest.moc"
