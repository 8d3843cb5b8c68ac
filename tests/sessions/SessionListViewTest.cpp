// The session list as the user meets it: groups with counts, search, a selection that follows the conversation,
// the keyboard, and what a snapshot the list already shows leaves alone.
#include "SessionJson.h"
#include "SessionsArea.h"
#include "TestRegistry.h"
#include "ui/SearchField.h"

#include <QLabel>
#include <QPushButton>
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
    {"provider":"codex","session":"f","title":"Clarify","binding":{"mode":"managed"}}
])";
const char* kMixedRuns = R"([{"provider":"codex","session":"f","taskId":"t1","phase":"needs_clarification"},
                             {"provider":"claude","session":"c","taskId":"t2","state":"active"}])";

// Sixty plain conversations titled "Conversation 0" to "Conversation 59", more than the list shows at once.
QString sixtyConversations() {
    QString many = QStringLiteral("[");
    for (int index = 0; index < 60; ++index) {
        many += QStringLiteral(R"(%1{"provider":"codex","session":"s%2","title":"Conversation %2"})")
                    .arg(index ? QStringLiteral(",") : QString())
                    .arg(index);
    }
    return many + QLatin1Char(']');
}

} // namespace

class SessionListViewTest final : public QObject {
    Q_OBJECT

    std::unique_ptr<SessionsArea> m_area;
    SessionsArea& area() { return *m_area; }

private Q_SLOTS:
    void init() { m_area = std::make_unique<SessionsArea>(); }
    void cleanup() { m_area.reset(); }

    void groups_data() {
        QTest::addColumn<QString>("sessions");
        QTest::addColumn<QString>("runs");
        QTest::addColumn<QString>("rows");
        QTest::newRow("four groups with their counts")
            << kMixed << kMixedRuns
            << "Auto-continue · 1|Auto|Needs you · 3|Decide|Asks|Clarify|Supervising · 1|Managed|Conversations · "
               "1|Plain";
        QTest::newRow("records that are not objects are dropped")
            << R"([7, "codex", null, [], {"provider":"codex","session":"x","title":"Kept"}])"
            << "[]"
            << "Conversations · 1|Kept";
        QTest::newRow("mistyped keys fall back to their defaults")
            << R"([{"provider":3,"session":["s"],"title":{"t":1},"binding":"managed","autoContinue":"true",
                    "analysis":{"state":"needs_user","awaitingTurn":"yes"}}])"
            << "[]"
            << "Needs you · 1| · ";
        QTest::newRow("the same conversation twice is listed twice")
            << R"([{"provider":"codex","session":"x","title":"One"},{"provider":"codex","session":"x","title":"Two"}])"
            << "[]"
            << "Conversations · 2|One|Two";
        QTest::newRow("nothing at all") << "[]"
                                        << "[]"
                                        << "";
    }

    void groups() {
        QFETCH(QString, sessions);
        QFETCH(QString, runs);
        QFETCH(QString, rows);
        area().render(sessions, runs);
        QCOMPARE(area().rows(), rows);
        // Headings are never selected: the first conversation is.
        QCOMPARE(area().selectedTitle(), rows.section(QLatin1Char('|'), 1, 1));
        QCOMPARE(area().view<QPushButton>("startManagedButton")->isHidden(), !rows.isEmpty());
    }

    // The query rules are checked on the row builder; here, that the field filters the list and an empty result
    // clears the pane.
    void search_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("rows");
        QTest::newRow("capitals find a folder in small letters") << "BILLING"
                                                                 << "Conversations · 1|Plain";
        QTest::newRow("no hit") << "nothing like this"
                                << "";
    }

    void search() {
        QFETCH(QString, query);
        QFETCH(QString, rows);
        area().render(kMixed, kMixedRuns);
        area().view<SearchField>("sessionSearch")->setText(query);
        QCOMPARE(area().rows(), rows);
        if (rows.isEmpty()) {
            QCOMPARE(area().view<QLabel>("deliveryHeadline")->text(), QStringLiteral("Select a session"));
            QVERIFY(area().model.selectedSessionIdentity.isEmpty());
        }
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
        auto* table = area().view<QTableView>("deliveryTable");
        QTest::keyClick(table, Qt::Key_Down);
        QTest::keyClick(table, Qt::Key_Down);
        QCOMPARE(area().selectedTitle(), QStringLiteral("Clarify"));
        QTest::keyClick(table, Qt::Key_Down); // the last row stays selected
        QCOMPARE(area().selectedTitle(), QStringLiteral("Clarify"));
        QTest::keyClick(table, Qt::Key_Up);
        QTest::keyClick(table, Qt::Key_Up);
        QTest::keyClick(table, Qt::Key_Up);
        QCOMPARE(area().selectedTitle(), QStringLiteral("Auto"));
        QTest::keyClick(search, Qt::Key_Backspace);
        QCOMPARE(area().view<SearchField>("sessionSearch")->text(), QStringLiteral("cod"));
        QCOMPARE(area().selectedTitle(), QStringLiteral("Auto"));
    }

    void selectionFollowsTheConversation() {
        area().render(kMixed, kMixedRuns);
        area().select(QStringLiteral("Decide"));
        QCOMPARE(area().model.selectedSessionIdentity, QStringLiteral("codex|b"));
        // Decided: the conversation moves from "Needs you" to "Conversations" and stays selected.
        area().render(QString::fromLatin1(kMixed).replace(QStringLiteral(R"({"state":"needs_user"})"),
                                                          QStringLiteral(R"({"state":"continue"})")),
                      kMixedRuns);
        QCOMPARE(area().rows(),
                 QStringLiteral("Auto-continue · 1|Auto|Needs you · 2|Asks|Clarify|Supervising · 1|Managed|"
                                "Conversations · 2|Decide|Plain"));
        QCOMPARE(area().selectedTitle(), QStringLiteral("Decide"));
        // Gone: the first conversation is selected.
        area().render(R"([{"provider":"claude","session":"d","title":"Plain"},
                          {"provider":"codex","session":"e","title":"Asks","autoContinueStatus":"needs_user"}])");
        QCOMPARE(area().selectedTitle(), QStringLiteral("Asks"));
        QCOMPARE(area().model.selectedSessionIdentity, QStringLiteral("codex|e"));
        // Empty: nothing is presented.
        area().render(QStringLiteral("[]"));
        QVERIFY(area().model.selectedSessionIdentity.isEmpty());
        QCOMPARE(area().view<QLabel>("sessionHeaderTitle")->text(), QStringLiteral("Sessions"));
        QCOMPARE(area().view<QLabel>("deliveryState")->text(), QStringLiteral("No sessions"));
        QCOMPARE(area().view<QLabel>("deliveryNext")->text(),
                 QStringLiteral("No existing sessions were found. Check provider setup and discovery status."));
    }

    void discoveryProblemsExplainAnEmptyList() {
        area().renderStatus(jsonObject(R"({"sessionSupervision":{"sessions":[],"providers":{
            "claude":{"discovery":"unavailable","reason":"token=abc123 expired"},
            "codex":{"discovery":"unavailable"}}}})"));
        QCOMPARE(area().view<QLabel>("deliveryNext")->text(),
                 QStringLiteral("Codex: Discovery unavailable\nClaude Code: ••• expired"));
    }

    // A heartbeat repeats the last snapshot: the list is not rebuilt, the selection and the scroll position stay.
    void anIdenticalSnapshotRebuildsNothing() {
        const QString many = sixtyConversations();
        area().render(many);
        auto* table = area().view<QTableView>("deliveryTable");
        area().select(QStringLiteral("Conversation 40"));
        table->verticalScrollBar()->setValue(table->verticalScrollBar()->maximum() / 2);
        const int scrolled = table->verticalScrollBar()->value();
        QSignalSpy resets(table->model(), &QAbstractItemModel::modelReset);
        area().render(many);
        QCOMPARE(resets.count(), 0);
        QCOMPARE(table->verticalScrollBar()->value(), scrolled);
        QCOMPARE(area().selectedTitle(), QStringLiteral("Conversation 40"));
        // Another parse of the same records is the same list.
        area().render(QString(many).replace(QStringLiteral(","), QStringLiteral(", ")));
        QCOMPARE(resets.count(), 0);
        // A change of one row redraws that row alone, keeping the selection and the scroll position.
        QSignalSpy changed(table->model(), &QAbstractItemModel::dataChanged);
        area().render(QString(many).replace(QStringLiteral("Conversation 3\""), QStringLiteral("Renamed\"")));
        QCOMPARE(resets.count(), 0);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.first().at(0).toModelIndex().row(), changed.first().at(1).toModelIndex().row());
        QCOMPARE(area().selectedTitle(), QStringLiteral("Conversation 40"));
        QCOMPARE(table->verticalScrollBar()->value(), scrolled);
    }

    // A conversation chosen for the user (a preset, a notification) is scrolled into view; one that only moves to
    // another row leaves the scroll position where the user put it.
    void aChosenConversationIsBroughtIntoView() {
        const QString many = sixtyConversations();
        area().harness.parent.resize(800, 600);
        area().harness.parent.show();
        auto* table = area().view<QTableView>("deliveryTable");
        const auto selectedRowOnScreen = [table] {
            const QModelIndexList rows = table->selectionModel()->selectedRows();
            return !rows.isEmpty() && table->viewport()->rect().contains(table->visualRect(rows.first()));
        };
        area().sessions.presetSelection(QStringLiteral("codex|s50"));
        area().render(many);
        QCOMPARE(area().selectedTitle(), QStringLiteral("Conversation 50"));
        QVERIFY(selectedRowOnScreen());

        table->verticalScrollBar()->setValue(0);
        area().render(
            QString(many).replace(QStringLiteral(R"("title":"Conversation 0")"), QStringLiteral(R"("title":"Zero")")));
        QCOMPARE(area().selectedTitle(), QStringLiteral("Conversation 50"));
        QCOMPARE(table->verticalScrollBar()->value(), 0);

        area().sessions.selectSession(QStringLiteral("codex|s55"));
        QCOMPARE(area().selectedTitle(), QStringLiteral("Conversation 55"));
        QVERIFY(selectedRowOnScreen());
    }

    void rowsSayWhatTheConversationWaitsFor() {
        area().render(kMixed, kMixedRuns);
        const QAbstractItemModel* table = area().view<QTableView>("deliveryTable")->model();
        QStringList subtitles;
        for (int row = 0; row < table->rowCount(); ++row) {
            const QString text = table->index(row, 0).data().toString();
            if (text.contains(QLatin1Char('\n'))) {
                subtitles.append(text.section(QLatin1Char('\n'), 1));
            }
        }
        QCOMPARE(subtitles,
                 QStringList({"Codex · In progress", "Codex · Your decision needed", "Codex · Not analyzed",
                              "Codex · One answer needed", "Claude Code · In progress", "Claude Code · Not analyzed"}));
        QVERIFY(!(table->flags(table->index(0, 0)) & Qt::ItemIsSelectable));
    }
};

VODU_TEST_SUITE(SessionListViewTest)
#include "SessionListViewTest.moc"
