// The session list as the user meets it: the groups drawn, search, a selection that follows the conversation, the
// keyboard, and what a snapshot the list already shows leaves alone. Grouping and query rules are checked on the
// row builder.
#include "SessionsArea.h"
#include "TestRegistry.h"
#include "ui/SearchField.h"

#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include <memory>

namespace {

// One conversation per way into a group; titles say where they belong.
const char* kMixed = R"([
    {"provider":"codex","session":"a","title":"Auto","autoContinue":true,"binding":{"mode":"managed"}},
    {"provider":"codex","session":"b","title":"Decide","analysis":{"state":"needs_user"},"cwd":"/home/alex/Ledger-API"},
    {"provider":"claude","session":"c","title":"Managed","binding":{"mode":"managed"}},
    {"provider":"claude","session":"d","title":"Plain","cwd":"/srv/billing"},
    {"provider":"codex","session":"e","title":"Asks","autoContinueStatus":"needs_user"},
    {"provider":"codex","session":"f","title":"Clarify","binding":{"mode":"managed"}}])";
const char* kMixedRuns = R"([{"provider":"codex","session":"f","taskId":"t1","phase":"needs_clarification"},
                             {"provider":"claude","session":"c","taskId":"t2","state":"active"}])";

// Sixty plain conversations titled "Conversation 0" to "Conversation 59", more than the list shows at once.
QString sixtyConversations() {
    QStringList many;
    for (int index = 0; index < 60; ++index) {
        many.append(QStringLiteral(R"({"provider":"codex","session":"s%1","title":"Conversation %1"})").arg(index));
    }
    return QLatin1Char('[') + many.join(QLatin1Char(',')) + QLatin1Char(']');
}

} // namespace

class SessionListViewTest final : public QObject {
    Q_OBJECT

    std::unique_ptr<SessionsArea> m_area;
    SessionsArea& area() { return *m_area; }
    QTableView* table() { return area().view<QTableView>("deliveryTable"); }

private Q_SLOTS:
    void init() { m_area = std::make_unique<SessionsArea>(); }
    void cleanup() { m_area.reset(); }

    void groups() {
        area().render(kMixed, kMixedRuns);
        QCOMPARE(area().rows(), QStringLiteral("Auto-continue · 1|Auto|Needs you · 3|Decide|Asks|Clarify|"
                                               "Supervising · 1|Managed|Conversations · 1|Plain"));
        QCOMPARE(table()->model()->index(3, 0).data().toString(),
                 QStringLiteral("Decide\nCodex · Your decision needed"));
        // Headings are never selected: the first conversation is.
        QVERIFY(!(table()->model()->flags(table()->model()->index(0, 0)) & Qt::ItemIsSelectable));
        QCOMPARE(area().selectedTitle(), QStringLiteral("Auto"));
        QVERIFY(!area().shown("startManagedButton"));
        // Records that are not objects are dropped; mistyped keys fall back to their defaults.
        area().render(R"([7, "codex", null, [], {"provider":3,"session":["s"],"title":{"t":1},"binding":"managed",
                          "autoContinue":"true","analysis":{"state":"needs_user","awaitingTurn":"yes"}}])");
        QCOMPARE(area().rows(), QStringLiteral("Needs you · 1| · "));
        area().render(QStringLiteral("[]"));
        QVERIFY(area().rows().isEmpty() && area().shown("startManagedButton"));
    }

    void typingFiltersAndArrowsMove() {
        area().render(kMixed, kMixedRuns);
        auto* search = area().view<SearchField>("sessionSearch");
        QTest::keyClicks(search, "code");
        QCOMPARE(area().rows(), QStringLiteral("Auto-continue · 1|Auto|Needs you · 3|Decide|Asks|Clarify"));
        QCOMPARE(area().selectedTitle(), QStringLiteral("Auto"));
        // Down from the search field moves the list, across the heading.
        QTest::keyClick(search, Qt::Key_Down);
        QCOMPARE(area().selectedTitle(), QStringLiteral("Decide"));
        QCOMPARE(area().model.selectedSessionIdentity, QStringLiteral("codex|b"));
        for (int step = 0; step < 3; ++step) {
            QTest::keyClick(table(), Qt::Key_Down);
        }
        QCOMPARE(area().selectedTitle(), QStringLiteral("Clarify")); // the last row stays selected
        for (int step = 0; step < 3; ++step) {
            QTest::keyClick(table(), Qt::Key_Up);
        }
        QCOMPARE(area().selectedTitle(), QStringLiteral("Auto"));
        // No hit: nothing is presented.
        QTest::keyClicks(search, "zzz");
        QVERIFY(area().rows().isEmpty() && area().model.selectedSessionIdentity.isEmpty());
        QCOMPARE(area().text("deliveryHeadline"), QStringLiteral("Select a session"));
    }

    void selectionFollowsTheConversation() {
        area().render(kMixed, kMixedRuns);
        area().select(QStringLiteral("Decide"));
        QCOMPARE(area().model.selectedSessionIdentity, QStringLiteral("codex|b"));
        // Decided: the conversation moves from "Needs you" to "Conversations" and stays selected.
        area().render(QString::fromLatin1(kMixed).replace(QStringLiteral(R"({"state":"needs_user"})"),
                                                          QStringLiteral(R"({"state":"continue"})")),
                      kMixedRuns);
        QCOMPARE(area().rows(), QStringLiteral("Auto-continue · 1|Auto|Needs you · 2|Asks|Clarify|Supervising · 1|"
                                               "Managed|Conversations · 2|Decide|Plain"));
        QCOMPARE(area().selectedTitle(), QStringLiteral("Decide"));
        // Gone: the first conversation is selected.
        area().render(R"([{"provider":"claude","session":"d","title":"Plain"},
                          {"provider":"codex","session":"e","title":"Asks","autoContinueStatus":"needs_user"}])");
        QCOMPARE(area().selectedTitle(), QStringLiteral("Asks"));
        QCOMPARE(area().model.selectedSessionIdentity, QStringLiteral("codex|e"));
    }

    // A heartbeat repeats the last snapshot: the list is not rebuilt, the selection and the scroll position stay.
    void anIdenticalSnapshotRebuildsNothing() {
        const QString many = sixtyConversations();
        area().render(many);
        area().select(QStringLiteral("Conversation 40"));
        table()->verticalScrollBar()->setValue(table()->verticalScrollBar()->maximum() / 2);
        const int scrolled = table()->verticalScrollBar()->value();
        QSignalSpy resets(table()->model(), &QAbstractItemModel::modelReset);
        QSignalSpy changed(table()->model(), &QAbstractItemModel::dataChanged);
        area().render(QString(many).replace(QStringLiteral(","), QStringLiteral(", ")));
        QCOMPARE(changed.count(), 0);
        // A change of one row redraws that row alone.
        area().render(QString(many).replace(QStringLiteral("Conversation 3\""), QStringLiteral("Renamed\"")));
        QCOMPARE(resets.count(), 0);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.first().at(0).toModelIndex().row(), changed.first().at(1).toModelIndex().row());
        QCOMPARE(area().selectedTitle(), QStringLiteral("Conversation 40"));
        QCOMPARE(table()->verticalScrollBar()->value(), scrolled);
    }
};

VODU_TEST_SUITE(SessionListViewTest)
#include "SessionListViewTest.moc"
