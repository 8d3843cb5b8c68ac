#include "Harness.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "ui/ToggleSwitch.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTest>

namespace {

QString entryPath(const Harness& harness) {
    return harness.configHome.filePath(QStringLiteral("autostart/com.zuzi.vodu.cli.desktop"));
}

void openAppTab(AppDelegate& app) {
    app.overview().showStatusPanel();
    app.overview().selectSettingsTab(2);
}

} // namespace

// The start-at-login switch in the App tab, on a whole app whose configuration folder is a temporary one.
class StartAtLoginTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void switchWritesAndRemovesTheEntry() {
        Harness harness;
        AppDelegate& app = harness.app();
        harness.fake->bundleDir = QStringLiteral("/opt/vodu/VODU.app");
        openAppTab(app);
        auto* toggle = view<ToggleSwitch>(app, "startAtLoginSwitch");
        QVERIFY(toggle && toggle->isVisible() && toggle->isEnabled());
        QVERIFY(!toggle->isChecked()); // off until the user turns it on

        QTest::mouseClick(toggle, Qt::LeftButton);
        QVERIFY(toggle->isChecked());
        QVERIFY(readFile(entryPath(harness))
                    .contains("\nExec=\"/opt/vodu/VODU.app/Contents/MacOS/vodu-status\" --autostart\n"));

        QTest::keyClick(toggle, Qt::Key_Space);
        QVERIFY(!toggle->isChecked());
        QVERIFY(!QFile::exists(entryPath(harness)));
    }

    // The entry is the truth: changed outside the app, the switch shows it the next time the sheet opens.
    void switchShowsTheEntryOnDisk() {
        Harness harness;
        AppDelegate& app = harness.app();
        auto* toggle = view<ToggleSwitch>(app, "startAtLoginSwitch");
        QDir().mkpath(QFileInfo(entryPath(harness)).path());
        QFile entry(entryPath(harness));
        QVERIFY(entry.open(QIODevice::WriteOnly));
        entry.write("[Desktop Entry]\nType=Application\nExec=vodu-desktop --autostart\n");
        entry.close();
        openAppTab(app);
        QVERIFY(toggle->isChecked());
        app.overview().closeStatusPanel();
        QVERIFY(entry.open(QIODevice::Append));
        entry.write("Hidden=true\n");
        entry.close();
        openAppTab(app);
        QVERIFY(!toggle->isChecked());
    }

    void textsInBothLanguages_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("noFolder");
        QTest::newRow("en") << "en-US"
                            << "Start at login"
                            << "VODU starts in the tray when you log in."
                            << "Could not change start at login."
                            << "No folder for login items was found.";
        QTest::newRow("ja") << "ja-JP"
                            << "ログイン時に起動"
                            << "ログインすると VODU がトレイで起動します。"
                            << "ログイン時の起動を変更できませんでした。"
                            << "ログイン項目のフォルダーが見つかりません。";
    }

    // Also the two ways it can fail: the entry cannot be written, or there is nowhere to write it.
    void textsInBothLanguages() {
        QFETCH(QString, language);
        Harness harness({language});
        AppDelegate& app = harness.app();
        openAppTab(app);
        auto* toggle = view<ToggleSwitch>(app, "startAtLoginSwitch");
        QTEST(view<QLabel>(app, "startAtLoginLabel")->text(), "title");
        QTEST(toggle->accessibleName(), "title");
        QTEST(view<QLabel>(app, "startAtLoginNote")->text(), "note");

        QVERIFY(QDir().mkpath(entryPath(harness))); // a folder where the entry goes
        toggle->click();
        QVERIFY(!toggle->isChecked());
        QTEST(view<QLabel>(app, "startAtLoginNote")->text(), "failure");

        app.overview().closeStatusPanel();
        harness.fake->environment.remove(QStringLiteral("XDG_CONFIG_HOME"));
        harness.fake->environment.remove(QStringLiteral("HOME"));
        openAppTab(app);
        QVERIFY(!toggle->isEnabled() && !toggle->isChecked());
        QTEST(view<QLabel>(app, "startAtLoginNote")->text(), "noFolder");
    }
};

VODU_TEST_SUITE(StartAtLoginTest)
#include "StartAtLoginTest.moc"
