#include "Views.h"
#include "DataTables.h"
#include "Harness.h"
#include "ScriptedHost.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "app/AutomationOutput.h"
#include "ui/ConnectionButton.h"
#include "ui/SidebarNavButton.h"
#include "ui/StatusRow.h"
#include "ui/ThemedLabel.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QDialog>
#include <QFile>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

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
        lines.append(QString(entry.key()).remove(copyNumber).toUtf8() + ' ' +
                     QJsonDocument(fields).toJson(QJsonDocument::Compact));
    }
    std::sort(lines.begin(), lines.end());
    return lines.join('\n') + '\n';
}

void compareWithGolden(const QByteArray& actual, const QString& name) {
    const QString path = TestBundle::sourcePath(QStringLiteral("tests/app/golden/") + name + QStringLiteral(".txt"));
    if (qEnvironmentVariableIntValue("VODU_UPDATE_GOLDEN") == 1) {
        QVERIFY(writeFile(path, actual));
        return;
    }
    const QByteArray golden = readFile(path);
    QVERIFY2(!golden.isEmpty(), qPrintable(path + QStringLiteral(" is missing")));
    QCOMPARE(actual.split('\n'), golden.split('\n')); // names the first line that differs
}

// Both previews, each named as its golden file.
void previewTable() {
    columns<QString, QString>({"language", "fixture"});
    dataRow("preview-en", "en-US", "preview-en.json");
    dataRow("preview-ja", "ja-JP", "preview-ja.json");
}

bool interactive(QAccessibleInterface* node) {
    static const QList<QAccessible::Role> controls{
        QAccessible::PushButton,   QAccessible::CheckBox,      QAccessible::RadioButton, QAccessible::ComboBox,
        QAccessible::EditableText, QAccessible::PageTab,       QAccessible::PageTabList, QAccessible::List,
        QAccessible::Table,        QAccessible::Slider,        QAccessible::SpinBox,     QAccessible::Link,
        QAccessible::ButtonMenu,   QAccessible::ButtonDropDown};
    const QAccessible::State state = node->state();
    if (state.invisible || state.offscreen) {
        return false;
    }
    // Reached by Tab, or a control by its role; a label that takes focus only from a click is read as its text.
    const auto* widget = qobject_cast<const QWidget*>(node->object());
    const bool tabStop = widget ? (widget->focusPolicy() & Qt::TabFocus) != 0 : state.focusable;
    return tabStop || controls.contains(node->role());
}

// Every control a screen reader can reach under `root`, described when it has no name or no telling role. Rows
// and cells of lists are read from their models; the list itself must be named.
void walk(QAccessibleInterface* node, QStringList& problems, int depth = 0) {
    if (!node || !node->isValid() || depth > 60) {
        return;
    }
    if (interactive(node)) {
        const QString name = node->text(QAccessible::Name).trimmed();
        QObject* object = node->object();
        const QString where =
            object ? QString::fromLatin1(object->metaObject()->className()) + QLatin1Char(' ') + object->objectName()
                   : QStringLiteral("(element) ") + node->parent()->text(QAccessible::Name);
        if (name.isEmpty()) {
            problems.append(where + QStringLiteral(": no name"));
        }
        // A pop-up without a name of its own is read by its current value ("30", "Strict").
        const auto* widget = qobject_cast<const QWidget*>(object);
        if (node->role() == QAccessible::ComboBox && widget && widget->accessibleName().isEmpty()) {
            problems.append(where + QStringLiteral(": named only by its value"));
        }
        // Client is what AT-SPI calls a filler.
        if (node->role() == QAccessible::NoRole || node->role() == QAccessible::Client ||
            node->role() == QAccessible::Pane) {
            problems.append(where + QStringLiteral(": generic role ") + QString::number(node->role()));
        }
    }
    if (node->role() == QAccessible::Table || node->role() == QAccessible::List) {
        return;
    }
    for (int index = 0; index < node->childCount(); ++index) {
        walk(node->child(index), problems, depth + 1);
    }
}

const QString kMarkup = QStringLiteral("<img src=\"/dev/zero\"><b>&amp;</b>");

// What a reader sees of a tool tip: rich text as rendered, anything else as it is.
QString shownToolTip(const QString& toolTip) {
    if (!Qt::mightBeRichText(toolTip)) {
        return toolTip;
    }
    QTextDocument document;
    document.setHtml(toolTip);
    return document.toPlainText();
}

const QString kAttention = QStringLiteral("Open Connection & settings to review why Dozadavi Zaro stopped.");

QJsonObject runs(const char* reason) {
    return json(*reason ? QByteArray(R"({"deliveryHooks":{"runs":[{"provider":"codex","session":"s1","taskId":"t1",
        "objective":"Ship it","needsAttention":true,"reason":")") +
                              reason + "\"}]}}"
                        : QByteArray(R"({"deliveryHooks":{"runs":[]}})"));
}

} // namespace

// What the user sees, view by view, compared with a reviewed copy in tests/app/golden/. Any change to a name, a
// text, a flag or a list item shows up as a diff of those files. VODU_UPDATE_GOLDEN=1 rewrites them.
class GoldenViewsTest final : public QObject {
    Q_OBJECT

    QTemporaryDir m_output;

private Q_SLOTS:
    void preview_data() { previewTable(); }

    void preview() {
        const auto [language, fixture] = fetch<QString, QString>({"language", "fixture"});
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

    // The whole window and its settings, every page and tab: what a screen reader finds on each control, and host text
    // shown as text on every label.
    void everyControlIsNamed_data() { previewTable(); }

    void everyControlIsNamed() {
        const auto [language, fixture] = fetch<QString, QString>({"language", "fixture"});
        Harness harness({language}, Harness::Build::nothing);
        AppDelegate& app = harness.app();
        app.applicationDidFinishLaunching({QStringLiteral("vodu-status"), QStringLiteral("--status-fixture"),
                                           TestBundle::sourcePath(QStringLiteral("fixtures/") + fixture)});
        QVERIFY(QTest::qWaitForWindowExposed(app.window()));
        QStringList problems;
        QTest::mouseClick(view<QWidget>(app, "tasksNav"), Qt::LeftButton);
        walk(QAccessible::queryAccessibleInterface(app.window()), problems);
        // Every conversation and run of the preview, with its disclosures open.
        QTest::mouseClick(view<QWidget>(app, "sessionsNav"), Qt::LeftButton);
        auto* list = view<QAbstractItemView>(app, "deliveryTable");
        int shown = 0;
        for (int row = 0; row < list->model()->rowCount(); ++row) {
            const QModelIndex index = list->model()->index(row, 0);
            if (!(index.flags() & Qt::ItemIsSelectable)) {
                continue;
            }
            list->setCurrentIndex(index);
            for (const char* disclosure : {"sessionAdvancedToggle", "deliverySettingsToggle"}) {
                auto* toggle = view<QAbstractButton>(app, disclosure);
                if (toggle && toggle->isVisible()) {
                    toggle->click();
                }
            }
            walk(QAccessible::queryAccessibleInterface(app.window()), problems);
            ++shown;
        }
        QVERIFY(shown >= 5);
        view<QAction>(app, "mainMenuSettings")->trigger();
        auto* settings = view<QDialog>(app, "statusPanel");
        QVERIFY(settings->isVisible());
        auto* tabs = view<QStackedWidget>(app, "settingsTabs");
        for (int tab = 0; tab < tabs->count(); ++tab) {
            tabs->setCurrentIndex(tab);
            walk(QAccessible::queryAccessibleInterface(settings), problems);
        }
        problems.removeDuplicates();
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }

    // Host text is shown as the characters it holds: markup in any field is never read as rich text (which would
    // load images from local paths, devices or pipes), and tool tips and menu titles show it literally as well.
    void markupInEveryFieldIsShownLiterally() {
        Harness harness;
        AppDelegate& app = harness.app();
        QString snapshot = QStringLiteral(R"({
            "version": "M", "auth": {"state": "signed_in", "userLabel": "M"},
            "connection": {"state": "offline", "error": "M"},
            "providers": {"codex": {"state": "ready", "version": "M"}, "claude": {"state": "ready", "version": "M"}},
            "deliveryHooks": {"runs": [{"provider": "M", "state": "blocked", "reason": "M", "needsAttention": true}]},
            "sessionSupervision": {"providers": {"codex": {"discovery": "unavailable", "reason": "M"}},
                                   "sessions": [{"provider": "codex", "session": "s1", "title": "M"}]},
            "tasks": {"activeCount": 1, "items": [{"key": "t1", "label": "M", "state": "running"}]},
            "update": {"state": "failed", "message": "M"}})");
        snapshot.replace(QStringLiteral("M"), QString(kMarkup).replace(u'"', QStringLiteral("\\\"")));
        const QJsonObject status = json(snapshot);
        QVERIFY(!status.isEmpty());
        QTemporaryDir output;
        harness.fake->environment.insert(QStringLiteral("VODU_AUTOMATION_DIR"), output.path());
        app.startAutomationOutput();
        app.showWindow();
        app.render(status);
        view<QAction>(app, "mainMenuSettings")->trigger();
        QCoreApplication::processEvents();

        // Every label of the window and the sheet reads its text as plain text; the host's text reaches several.
        int showing = 0;
        for (const QLabel* label : app.window()->findChildren<QLabel*>()) {
            QVERIFY2(label->text().isEmpty() || label->textFormat() == Qt::PlainText, qPrintable(label->objectName()));
            showing += label->text().contains(kMarkup);
        }
        QVERIFY(showing >= 5);
        QCOMPARE(shownToolTip(view<StatusRow>(app, "accountRow")->detail()->toolTip()), kMarkup);

        // A summary holding host text: the tray's menu title and tool tip show it as it is.
        app.renderDisconnected(QStringLiteral("A & B ") + kMarkup);
        QCOMPARE(view<QAction>(app, "menuStatus")->text(),
                 QStringLiteral("A && B ") + QString(kMarkup).replace(u'&', QStringLiteral("&&")));
        const QJsonObject tray = app.findChild<AutomationOutput*>()->describe().value(u"statusItem").toObject();
        QCOMPARE(shownToolTip(tray.value(u"toolTip").toString()), QStringLiteral("VODU · A & B ") + kMarkup);
    }
};

VODU_TEST_SUITE(GoldenViewsTest)

// One snapshot whose sections write the same views: the final texts are those of the fixed render order. Then the
// states without a fresh snapshot: a repeat, and a silent host.
class RenderOrderTest final : public HarnessTest {
    Q_OBJECT

    // Signed out (the summary asks for sign-in), a run needing attention (the summary and the footer are overwritten
    // again), conversations (the headline area is cleared after the run list filled it), running tasks (the caption).
    static QJsonObject snapshot() {
        return json(R"({
            "sampledAt": "2026-12-06T08:59:58Z", "auth": {"state": "signed_out"},
            "connection": {"state": "online"},
            "deliveryHooks": {"runs": [{"provider": "codex", "session": "s1", "taskId": "t1", "state": "blocked",
                                        "needsAttention": true}]},
            "sessionSupervision": {"sessions": [{"provider": "codex", "session": "s1", "title": "Fix the build"}]},
            "tasks": {"activeCount": 3, "items": [{"key": "t1", "label": "Write the report", "state": "running"}]}
        })");
    }

private Q_SLOTS:
    void laterSectionsWin() {
        view<SidebarNavButton>("tasksNav")->click();
        app().render(snapshot());
        QCOMPARE(view<ConnectionButton>("connectionSummary")->text(), QStringLiteral("Sessions · Needs attention"));
        QCOMPARE(view<QLabel>("footer")->text(), kAttention);
        QCOMPARE(view<QLabel>("tasksLabel")->text(), QStringLiteral("Tasks · 3 running"));
        QCOMPARE(view<QMenu>("statusMenu")->actions().first()->text(), QStringLiteral("Sessions · Needs attention"));
        QVERIFY(view<QLabel>("deliveryHeadline")->text().isEmpty() && view<QLabel>("deliveryHeadline")->isHidden());
    }

    void previewWinsOverEverything() {
        app().setFixtureMode(true);
        app().render(snapshot());
        QCOMPARE(view<ConnectionButton>("connectionSummary")->text(), QStringLiteral("Preview · sample sessions"));
        QCOMPARE(view<QLabel>("footer")->text(), kAttention); // written after the preview footer
    }

    // A repeat that moved only its sample time redraws the footer, which shows that time, and nothing else.
    void aRepeatRedrawsOnlyTheFooter() {
        app().render(json(R"({"sampledAt":"2026-12-06T08:00:00Z"})"));
        const QString footer = view<QLabel>("footer")->text();
        QVERIFY(footer.startsWith(u"Last checked: "));
        view<QLabel>("tasksLabel")->setText(QStringLiteral("left alone"));
        app().renderRepeatedStatus(json(R"({"sampledAt":"2026-12-06T09:30:00Z"})"));
        QVERIFY(view<QLabel>("footer")->text().startsWith(u"Last checked: ") &&
                view<QLabel>("footer")->text() != footer);
        QCOMPARE(view<QLabel>("tasksLabel")->text(), QStringLiteral("left alone"));
    }

    // A silent host turns every view to "unknown" once; later ticks only repeat the summary, and the next snapshot,
    // even one that repeats the last, brings everything back.
    void staleTicksRepeatOnlyTheSummaryAndASnapshotRestores() {
        const QJsonObject online = json(R"({"auth":{"state":"signed_in"},"connection":{"state":"online"}})");
        app().render(online);
        const QString noStatus = QStringLiteral("No recent status from service");
        app().renderStale(noStatus);
        QVERIFY(!app().linkState().connected);
        QCOMPARE(view<ConnectionButton>("connectionSummary")->text(), QStringLiteral("Connection needs attention"));
        QCOMPARE(view<StatusRow>("connectionRow")->detail()->text(), noStatus);
        QCOMPARE(view<StatusRow>("accountRow")->detail()->text(), QStringLiteral("Status unknown"));
        QCOMPARE(view<QLabel>("tasksLabel")->text(), QStringLiteral("Task status unknown"));
        QCOMPARE(view<QAction>("menuStatus")->text(), noStatus);

        view<QLabel>("footer")->setText(QStringLiteral("Copied"));
        view<ConnectionButton>("connectionSummary")->setText(QString());
        app().renderStale(noStatus);
        QCOMPARE(view<QLabel>("footer")->text(), QStringLiteral("Copied"));
        QCOMPARE(view<ConnectionButton>("connectionSummary")->text(), QStringLiteral("Connection needs attention"));

        app().renderRepeatedStatus(online);
        QCOMPARE(view<ConnectionButton>("connectionSummary")->text(), QStringLiteral("Online"));
        QVERIFY(view<StatusRow>("accountRow")->detail()->text() != u"Status unknown");
        QVERIFY(view<QLabel>("tasksLabel")->text() != u"Task status unknown");
    }

    // Desktop notifications from the whole app: what a snapshot newly asks of the user is told and withdrawn on the
    // desktop, never in preview or when turned off, and a click brings the window back on what it told about. (What is
    // told when is planned in the sessions area and tested there.)
    void toldReplacedAndWithdrawn() {
        app().render(runs("")); // start-up: nothing waits
        app().render(runs("Approve the deploy"));
        app().render(runs("Approve the deploy"));
        QCOMPARE(fake().notifications.size(), 1);
        QCOMPARE(fake().notifications.first().title, QStringLiteral("Ship it"));
        QCOMPARE(fake().notifications.first().body, QStringLiteral("Approve the deploy"));
        fake().clock = fake().clock.addSecs(61);
        app().render(runs("Answer the question"));
        QCOMPARE(fake().notifications.size(), 2);
        const QString key = fake().notifications.at(0).key;
        QCOMPARE(fake().notifications.at(1).key, key); // replaces it
        app().render(runs(""));
        QCOMPARE(fake().withdrawnNotifications, (QStringList{key, QStringLiteral("summary")}));
    }

    // At start-up one summary; in preview or turned off (remembered for the next start) nothing; without a
    // notification service the user is still asked to look.
    void whenNothingOrSomethingElseIsShown() {
        app().render(runs("Approve the deploy"));
        QCOMPARE(fake().notifications.value(0).key, QStringLiteral("summary"));
        for (const bool preview : {true, false}) {
            m_harness = std::make_unique<Harness>();
            app().setFixtureMode(preview);
            if (!preview) {
                view<QAbstractButton>(app(), "notificationsSwitch")->click();
                QCOMPARE(fake().stored.value(QStringLiteral("notifyWhenNeeded")), QVariant(false));
            }
            app().render(runs(""));
            app().render(runs("Approve the deploy"));
            QVERIFY(fake().notifications.isEmpty());
        }
        m_harness = std::make_unique<Harness>();
        fake().notificationServiceAvailable = false;
        app().render(runs(""));
        app().render(runs("Approve the deploy"));
        QVERIFY(fake().attentionRequests > 0);
    }

    // The click shows the window on the conversation it told about, even past a search that hid it.
    void clickingShowsTheConversation() {
        app().render(QJsonObject());
        app().render(json(R"({"sessionSupervision":{"sessions":[
            {"provider":"codex","session":"a","mode":"unmanaged","title":"Alpha"},
            {"provider":"codex","session":"b","mode":"unmanaged","title":"Beta",
             "analysis":{"state":"needs_user","reason":"Pick a name"}}]}})"));
        QCOMPARE(fake().notifications.size(), 1);
        QCOMPARE(fake().notifications.first().body, QStringLiteral("Pick a name"));
        view<QLineEdit>(app(), "sessionSearch")->setText(QStringLiteral("Alpha"));
        QCOMPARE(view<QLabel>(app(), "sessionHeaderTitle")->text(), QStringLiteral("Alpha"));
        app().window()->hide();
        fake().notificationHandler(fake().notifications.first().key);
        QVERIFY(app().window()->isVisible());
        QCOMPARE(app().activationPolicy(), AppDelegate::ActivationPolicy::regular);
        QCOMPARE(view<QLabel>(app(), "sessionHeaderTitle")->text(), QStringLiteral("Beta"));
        QVERIFY(view<QLineEdit>(app(), "sessionSearch")->text().isEmpty());
        QVERIFY(fake().withdrawnNotifications.contains(fake().notifications.first().key));
    }
};

VODU_TEST_SUITE(RenderOrderTest)
#include "ViewsTest.moc"
