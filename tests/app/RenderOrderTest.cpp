// One snapshot whose sections write the same views: the final texts are those of the fixed render order. Then the
// states without a fresh snapshot: a repeat, and a silent host.
#include "Harness.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "Views.h"
#include "ui/ConnectionButton.h"
#include "ui/SidebarNavButton.h"
#include "ui/StatusRow.h"
#include "ui/ThemedLabel.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTest>

namespace {

const QString kAttention = QStringLiteral("Open Connection & settings to review why Dozadavi Zaro stopped.");

} // namespace

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
};

VODU_TEST_SUITE(RenderOrderTest)
#include "RenderOrderTest.moc"
