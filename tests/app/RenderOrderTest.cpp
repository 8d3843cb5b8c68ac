// One snapshot whose sections write the same views: the final texts are those of the fixed render order.
#include "Harness.h"
#include "TestRegistry.h"
#include "Views.h"
#include "ui/ConnectionButton.h"
#include "ui/SidebarNavButton.h"

#include <QAction>
#include <QJsonDocument>
#include <QLabel>
#include <QMenu>
#include <QTest>

class RenderOrderTest final : public HarnessTest {
    Q_OBJECT

    // Signed out (the summary asks for sign-in), a run needing attention (the summary and the footer are overwritten
    // again), conversations (the headline area is cleared after the run list filled it), running tasks (the caption).
    static QJsonObject snapshot() {
        return QJsonDocument::fromJson(R"({
            "sampledAt": "2026-12-06T08:59:58Z", "auth": {"state": "signed_out"},
            "connection": {"state": "online"},
            "deliveryHooks": {"runs": [{"provider": "codex", "session": "s1", "taskId": "t1", "state": "blocked",
                                        "needsAttention": true}]},
            "sessionSupervision": {"sessions": [{"provider": "codex", "session": "s1", "title": "Fix the build"}]},
            "tasks": {"activeCount": 3, "items": [{"key": "t1", "label": "Write the report", "state": "running"}]}
        })")
            .object();
    }

private Q_SLOTS:
    void laterSectionsWin() {
        view<SidebarNavButton>("tasksNav")->click();
        app().render(snapshot());
        QCOMPARE(view<ConnectionButton>("connectionSummary")->text(), QStringLiteral("Sessions · Needs attention"));
        QCOMPARE(view<QLabel>("footer")->text(),
                 QStringLiteral("Open Connection & settings to review why Dozadavi Zaro stopped."));
        QCOMPARE(view<QLabel>("tasksLabel")->text(), QStringLiteral("Tasks · 3 running"));
        QCOMPARE(view<QMenu>("statusMenu")->actions().first()->text(), QStringLiteral("Sessions · Needs attention"));
        QVERIFY(view<QLabel>("deliveryHeadline")->text().isEmpty());
        QVERIFY(view<QLabel>("deliveryHeadline")->isHidden());
    }

    // A snapshot that moved only its sample time redraws the footer, which shows that time, and nothing else.
    void aLaterSampleStillReachesTheFooter() {
        const QByteArray first = "{\"type\":\"status\",\"status\":{\"sampledAt\":\"2026-12-06T08:00:00Z\"}}";
        const QByteArray later = "{\"type\":\"status\",\"status\":{\"sampledAt\":\"2026-12-06T09:30:00Z\"}}";
        app().link().handleLine(first);
        const QString footer = view<QLabel>("footer")->text();
        QVERIFY(footer.startsWith(QStringLiteral("Last checked: ")));
        view<QLabel>("tasksLabel")->setText(QStringLiteral("left alone"));
        app().link().handleLine(later);
        QVERIFY(view<QLabel>("footer")->text().startsWith(QStringLiteral("Last checked: ")));
        QVERIFY(view<QLabel>("footer")->text() != footer);
        QCOMPARE(view<QLabel>("tasksLabel")->text(), QStringLiteral("left alone"));
    }

    void previewWinsOverEverything() {
        app().setFixtureMode(true);
        app().render(snapshot());
        QCOMPARE(view<ConnectionButton>("connectionSummary")->text(), QStringLiteral("Preview · sample sessions"));
        // The attention text still replaces the preview footer: it is written after it.
        QCOMPARE(view<QLabel>("footer")->text(),
                 QStringLiteral("Open Connection & settings to review why Dozadavi Zaro stopped."));
    }
};

VODU_TEST_SUITE(RenderOrderTest)
#include "RenderOrderTest.moc"
