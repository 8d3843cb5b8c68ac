#include "AreaHarness.h"
#include "DataTables.h"
#include "ScriptedHost.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "host/HostLink.h"
#include "model/SnapshotReading.h"
#include "tasks/InlineMarkdown.h"
#include "tasks/TaskBodyView.h"
#include "tasks/TaskDetailContent.h"
#include "tasks/TaskStates.h"
#include "tasks/TasksController.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTextDocument>

namespace {

const Copy english{false};

QString describe(const QList<InlineRun>& runs) {
    QString text;
    for (const InlineRun& run : runs) {
        const QString flags = QString(run.emphasis ? "e" : "") + (run.strong ? "s" : "") + (run.code ? "c" : "") +
                              (run.link.isEmpty() ? QString() : QStringLiteral("l=") + run.link);
        text += flags.isEmpty() ? run.text : u'«' + flags + u'|' + run.text + u'»';
    }
    return text;
}

void row(const char* function, const char* name, const QString& text, const QString& expected) {
    QTest::addRow("%s: %s", function, name) << QString(function) << text << expected;
}

// The list, heading and detail built as the window builds them; sent commands wait in `commands` to be completed.
struct TasksArea : AreaHarness {
    TasksArea() : AreaHarness({QStringLiteral("en-US")}) {
        tasks.buildTaskList(&parent);
        tasks.buildHeading(&parent);
        tasks.buildTaskDetail(&parent);
        tasks.showEmptyTask();
    }

    QString bodyText() const { return view<TaskBodyView>("taskBody")->document()->toPlainText(); }
    int selectedRow() const { // -1 unless exactly one row is selected
        const QModelIndexList rows = view<QTableView>("taskTable")->selectionModel()->selectedRows();
        return rows.size() == 1 ? rows.first().row() : -1;
    }
    void clickRow(int row) {
        auto* table = view<QTableView>("taskTable");
        table->selectionModel()->select(table->model()->index(row, 0),
                                        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }

    TasksController tasks{context, link};
};

inline QJsonObject taskList(const QString& items, qint64 activeCount = 0) {
    return QJsonObject{{"activeCount", activeCount}, {"items", QJsonDocument::fromJson(items.toUtf8()).array()}};
}

const QString kChecking = QStringLiteral("Checking status…");
const QString kUnavailable = QStringLiteral("Task content is unavailable. Refresh to try again.");
const QString kTasks = QStringLiteral(R"([{"key":"a","label":"<b>Alpha</b>","state":"running"}, )"
                                      R"({"key":"b","label":"Beta","state":"failed"},{"id":"c","label":"Gamma"}])");
const QString kOneTask = QStringLiteral(R"([{"key":"t1","label":"Weekly digest","state":"succeeded"}])");

// The task keys of the detail requests sent so far; every one without force or fields.
QStringList detailRequests(const TasksArea& area) {
    QStringList keys;
    for (const RecordingCommandSink::Command& command : area.commands.commands) {
        if (command.action == u"task_detail" && !command.force && command.fields.isEmpty()) {
            keys.append(command.taskKey.value_or(QStringLiteral("(none)")));
        }
    }
    return keys;
}

// The character format of the first occurrence of `text` in the body.
QTextCharFormat formatOf(const TasksArea& area, const QString& text) {
    QTextCursor probe(area.view<TaskBodyView>("taskBody")->document());
    probe.setPosition(probe.document()->find(text).selectionStart() + 1);
    return probe.charFormat();
}

TaskBodyView* selectBodyText(const TasksArea& area, int from, int to) {
    auto* body = area.view<TaskBodyView>("taskBody");
    QTextCursor selection(body->document());
    selection.setPosition(from);
    selection.setPosition(to, QTextCursor::KeepAnchor);
    body->setTextCursor(selection);
    return body;
}

} // namespace

class TasksTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void states_data() {
        columns<QString, QString, QString, QColor>({"state", "japanese", "line", "light"});
        const QColor green(0x18, 0x7A, 0x2D), red(0xB4, 0x23, 0x23), orange(0x9C, 0x43, 0x00);
        const QColor accent(0x00, 0x75, 0xDE), grey(0x61, 0x5D, 0x59);
        dataRow("succeeded", "succeeded", "完了", "✓  Completed", green);
        dataRow("pr_ready_for_review", "pr_ready_for_review", "Pr Ready For Review", "✓  Pr Ready For Review", green);
        dataRow("failed", "failed", "失敗", "×  Failed", red);
        dataRow("cancelled", "cancelled", "キャンセル", "–  Cancelled", orange);
        dataRow("coding", "coding", "Coding", "●  Coding", accent);
        dataRow("queued", "queued", "待機中", "◷  Queued", accent);
        dataRow("waiting_FOR_input", "waiting_FOR_input", "Waiting For Input", "●  Waiting For Input", grey);
        dataRow("Succeeded", "Succeeded", "Succeeded", "●  Succeeded", grey); // compared exactly
    }

    void states() {
        const auto [state, japanese, line, light] =
            fetch<QString, QString, QString, QColor>({"state", "japanese", "line", "light"});
        QCOMPARE(taskStateName(state, Copy{true}), japanese);
        QCOMPARE(taskStateLine(state, english), line);
        QCOMPARE(taskStateColor(state).resolve(Appearance::light), light);
    }

    // The row to select for the selected identity ("key", else a string "id"; null: none); row 0 when it is gone.
    void rowToSelect_data() {
        columns<QString, QString, int>({"items", "selected", "row"});
        dataRow("selected by id", R"([{"key":"a"},{"key":"b"},{"id":"c"}])", "c", 2);
        dataRow("selected task gone", R"([{"key":"a"},{"key":"b"}])", "z", 0);
        dataRow("key wins over id", R"([{"id":"k"},{"key":"k","id":"i"}])", "i", 0);
        dataRow("id when the key is not a string", R"([{"key":"a"},{"key":7,"id":"i"}])", "i", 1);
        dataRow("none selected matches a task without identity", R"([{"key":"a"},{"id":12}])", QString(), 1);
        dataRow("a task without identity never matches", R"([{"key":"a"},{"label":"x"}])", "z", 0);
        dataRow("first of two equal identities", R"([{"key":"x"},{"key":"a"},{"id":"a"}])", "a", 1);
    }

    void rowToSelect() {
        const auto [items, selected, row] = fetch<QString, QString, int>({"items", "selected", "row"});
        const std::optional<QString> key = selected.isNull() ? std::nullopt : std::optional(selected);
        QCOMPARE(taskRowToSelect(objectsAt(json(QStringLiteral("{\"a\":%1}").arg(items)), u"a"), key), row);
    }

    // Only safe addresses become links; a missing or empty label is the address's host.
    void links() {
        QStringList shown;
        const char* links = R"({"links":[{"url":"https://app.vodu.ai/tasks/t1","label":"Open in workspace"},)"
                            R"({"url":"javascript:x"},{"url":42,"label":"Not an address"},)"
                            R"("https://not-an-object.example/",{"label":"No address"},)"
                            R"({"url":"https://x.example/e","label":""},{"url":"https://docs.example.org/q3"}]})";
        for (const TaskLink& link : taskDetailLinks(json(links))) {
            shown.append(link.title + u' ' + link.url.toString());
        }
        QCOMPARE(shown, (QStringList{"Open in workspace https://app.vodu.ai/tasks/t1", "x.example https://x.example/e",
                                     "docs.example.org https://docs.example.org/q3"}));
    }

    // The result card takes the colours of success and failure; two criteria fit their card, more are counted.
    void cards() {
        const auto tint = [](const char* state) {
            const QList<TaskCard> cards = taskDetailCards(json(R"({"result":"Done."})"), state, english);
            return cards.size() == 1 ? cards.first().tint.resolve(Appearance::light) : QColor();
        };
        QCOMPARE((QList<QColor>{tint("merge_ready"), tint("failed"), tint("stopped")}),
                 (QList<QColor>{QColor(0x18, 0x7A, 0x2D), QColor(0xB4, 0x23, 0x23),
                                Theme::accent.resolve(Appearance::light)}));
        const auto criteria = [](const QJsonArray& list) {
            const QJsonObject detail{{"purpose", QJsonObject{{"successCriteria", list}}}};
            const QList<TaskCard> cards = taskDetailCards(detail, "running", english);
            return cards.size() == 1 ? cards.first().heading + u'|' + cards.first().rows.join(u'|') : QString();
        };
        QCOMPARE(criteria({"a", 7, "b"}), QStringLiteral("Success criteria · 2|1  a|2  b"));
        QCOMPARE(criteria({"a", "b", 7, "c"}), QStringLiteral("Success criteria · 3|1  a|2  b|1 more"));
    }

    void sections_data() {
        // switches: bits: 1 full result, 2 all criteria, 4 technical
        columns<QString, QString, int, QStringList>({"detail", "label", "switches", "expected"});
        const QString full =
            R"({"instruction":"Do X","result":"R","error":"E","truncated":true, )"
            R"("purpose":{"persona":"P","expectedValue":"V","successCriteria":["a","b"]}, )"
            R"("report":{"risks":["r1"],"testsRun":["t1","t2"],"evidenceRefs":[],"unresolvedItems":[3,"u1"]}, )"
            R"("technicalInstruction":"TI","technicalResult":"TR"})";
        const QStringList off{"Request", "For", "Expected outcome", "Tests reported", "Unresolved items", "Risks",
                              "Error",   ""};
        const QStringList on =
            off.mid(0, 3) + QStringList{"All success criteria", "Full result"} + off.mid(3) +
            QStringList{"Execution instructions · technical details", "Original report · technical details"};
        dataRow("all switches off", full, "Label", 0, off);
        dataRow("all switches on", full, "Label", 7, on);
        dataRow("instruction equal to the label", R"({"instruction":"Do X","result":"R"})", "Do X", 0, QStringList());
        dataRow("wrong types count as missing",
                R"({"instruction":5,"result":["R"],"purpose":"P","report":[],"truncated":"true"})", "Task", 7,
                QStringList{"Result"});
    }

    void sections() {
        const auto [detail, label, switches, expected] =
            fetch<QString, QString, int, QStringList>({"detail", "label", "switches", "expected"});
        const TaskDetailSwitches on{(switches & 1) != 0, (switches & 2) != 0, (switches & 4) != 0};
        QStringList headings;
        for (const TaskSection& section : taskDetailSections(json(detail), label, on, english)) {
            headings.append(section.heading);
        }
        QCOMPARE(headings, expected);
    }

    // "url": whether safeTaskURL accepts it (every address a task offers passes there); "preview": plainPreview;
    // "section": cleanSectionText; "markdown": parseInlineMarkdown's runs as «flags|text» (e, s, c, l=destination).
    void texts_data() {
        columns<QString, QString, QString>({"function", "text", "expected"});
        for (const char* url : {"https://app.vodu.ai/tasks/t1", "HTTP://EXAMPLE.COM:8080/a?b=c#d"}) {
            row("url", url, url, "accepted");
        }
        for (const char* url : {"JavaScript://example.com/%0Aalert(1)", "file:///home/user/.ssh/id_ed25519",
                                "https://admin@intranet.example/", "https://:pw@example.com/", "https://@example.com/",
                                "https:///path", "https://exa mple.com/"}) {
            row("url", url, url, "refused");
        }
        row("preview", "links, heading markers and emphasis",
            "## Sum\n\nSee [the report](https://x.example/r) **118** `it`", "Sum See the report 118 it");
        row("preview", "white space folded, ideographic space too", "  a\t\tb\n\n\u3000c  #hashtag", "a b c #hashtag");
        row("preview", "exactly 240 characters", QString(240, u'x'), QString(240, u'x'));
        row("preview", "300 characters of Markdown", "**" + QString(300, u'y') + "**", QString(240, u'y') + u'…');
        // Cut by user-perceived characters: a decomposed é is one character of two code units.
        const QString accented = QStringLiteral("e\u0301");
        row("preview", "combining marks count once", accented.repeated(250), accented.repeated(240) + u'…');
        row("section", "heading markers on every line, Windows line ends, trimmed",
            "\n## Title\r\ntext\r### Sub\n####### x, issue #12 ", "Title\ntext\nSub\n####### x, issue #12");
        row("markdown", "strong, both emphasis markers, strong emphasis", "**a** *b* _c_ ***d***",
            "«s|a» «e|b» «e|c» «es|d»");
        row("markdown", "strong inside emphasis", "*a **b** c*", "«e|a »«es|b»«e| c»");
        row("markdown", "adjacent runs inside emphasis", "*foo**bar**baz*", "«e|foo»«es|bar»«e|baz»");
        row("markdown", "runs whose lengths add to three do not pair", "*foo**bar*", "«e|foo**bar»");
        row("markdown", "leftover marker stays literal", "***a** b", "*«s|a» b");
        row("markdown", "code spans holding markers", "`a*b*c` and *d* `` a `b` ``", "«c|a*b*c» and «e|d» «c|a `b`»");
        row("markdown", "code span inside strong", "**run `x` now**", "«s|run »«sc|x»«s| now»");
        row("markdown", "unclosed code", "`code and *e*", "`code and «e|e»");
        row("markdown", "Japanese text around strong", "これは**重要**です", "これは«s|重要»です");
        row("markdown", "link with parentheses", "[wiki](https://en.wikipedia.org/wiki/Foo_(bar))",
            "«l=https://en.wikipedia.org/wiki/Foo_(bar)|wiki»");
        row("markdown", "link in angle brackets, with title", "[a](<https://x.example/a b> \"T\")",
            "«l=https://x.example/a b|a»");
        row("markdown", "strong and brackets inside links", "[**b** c](u) [a [b] c](u)",
            "«sl=u|b»«l=u| c» «l=u|a [b] c»");
        row("markdown", "inner link wins", "[a [b](u) c](v)", "[a «l=u|b» c](v)");
        row("markdown", "image shows its description, autolink", "![chart](c.png) <https://x.example/a>",
            "chart «l=https://x.example/a|https://x.example/a»");
        row("markdown", "escaped backtick before a code span", "\\``code`", "`«c|code»");
        row("markdown", "escaped backtick, no closer of the rest's length", "\\`` and ``", "`` and ``");
        row("markdown", "escapes, character references", "\\*not\\* \\[x\\] \\q &amp; &lt;&#65;&#x42;&#0; &nope; &",
            "*not* [x] \\q & <AB\uFFFD &nope; &");
        const QString brackets = QStringLiteral("[").repeated(50000);
        row("markdown", "many links after many open brackets", brackets + QStringLiteral("[a](u) ").repeated(50000),
            brackets + QStringLiteral("«l=u|a» ").repeated(50000));
        // Literal texts, and long host reports full of stray markers, come back whole without stalling the interface.
        QString backticks; // one run of every length from 1 to 600, so none has a partner
        for (int length = 1; length <= 600; ++length) {
            backticks += QString(length, u'`') + u'x';
        }
        for (const QString& stray : {QStringLiteral("2 * 3 * snake_case_name"), QStringLiteral("[a](u(v) [b](u"),
                                     QStringLiteral("<b>bold</b> a < b"), QStringLiteral("- one\n\n  > b\t c\n1. x"),
                                     QStringLiteral("a* ").repeated(60000), QStringLiteral("[").repeated(100000),
                                     QStringLiteral("[a](").repeated(40000), QStringLiteral("&").repeated(100000),
                                     QStringLiteral("[a](u (").repeated(30000), backticks}) {
            row("markdown", qPrintable(stray.left(8)), stray, stray);
        }
    }

    void texts() {
        const auto [function, text, expected] = fetch<QString, QString, QString>({"function", "text", "expected"});
        QCOMPARE(function == u"url"       ? QString(::safeTaskURL(text) ? "accepted" : "refused")
                 : function == u"preview" ? ::plainPreview(text)
                 : function == u"section" ? ::cleanSectionText(text)
                                          : describe(parseInlineMarkdown(text)),
                 expected);
    }

    // The first task is selected and asked for; a task without identity is listed, but selecting it changes nothing.
    // The selection follows its task when it moves; gone, the first task is selected.
    void listAndSelection() {
        TasksArea area;
        area.tasks.renderTasks(taskList(kTasks, 2));
        QVERIFY(area.link.activeTaskCount == 2 && area.selectedRow() == 0);
        auto* title = area.view<QLabel>("taskTitle");
        QVERIFY(title->text() == u"<b>Alpha</b>" && title->textFormat() == Qt::PlainText &&
                area.bodyText() == kChecking);
        area.commands.complete(0, false);
        QCOMPARE(area.bodyText(), kUnavailable);
        area.tasks.renderTasks(taskList(R"([{"key":"a","label":"Alpha"},{"label":"Nameless"}])"));
        area.clickRow(1);
        QCOMPARE(area.tasks.selectedTaskKey(), QStringLiteral("a"));
        area.tasks.renderTasks(taskList(kTasks));
        area.clickRow(2);
        area.tasks.renderTasks(taskList(R"([{"key":"x"},{"key":"a"},{"id":"c","label":"Gamma 2"}])"));
        QVERIFY(area.selectedRow() == 2 && title->text() == u"Gamma 2");
        area.tasks.renderTasks(taskList(R"([{"key":"b","label":"Beta"},{"key":"a"}])"));
        QCOMPARE(detailRequests(area), (QStringList{"a", "a", "a", "c", "c", "b"}));
        area.tasks.renderTasks(taskList("[]"));
        QVERIFY(!area.tasks.selectedTaskKey() && title->text() == u"Select a task" && detailRequests(area).size() == 6);
        QVERIFY(area.bodyText().startsWith(QStringLiteral("Run a task from your web workspace")));
        QVERIFY(area.view<QWidget>("detailActions")->isHidden() && area.view<QWidget>("taskVisuals")->isHidden());
    }

    // Answers and failures count only for the newest request of the task that is still selected.
    void detailAnswersFollowTheSelection() {
        TasksArea area;
        const QString two = R"([{"id":"only-id","label":"First"},{"key":"b","label":"Second"}])";
        area.tasks.renderTasks(taskList(two));
        area.tasks.renderTasks(taskList(two));
        area.commands.complete(0, false); // superseded by the second
        area.commands.complete(1, true);  // answered: the detail itself comes as its own message
        QCOMPARE(area.bodyText(), kChecking);
        area.clickRow(1);
        area.tasks.handleTaskDetail(json(R"({"taskKey":"only-id","task":{"result":"Old"}})"));
        area.tasks.handleTaskDetail(json(R"({"taskKey":"b","task":"Do B"})"));
        QCOMPARE(area.bodyText(), kChecking);
        area.commands.complete(2, false, QStringLiteral("task_detail refused"));
        QCOMPARE(area.bodyText(), kUnavailable);
        area.tasks.handleTaskDetail(
            json(R"({"taskKey":"b","task":{"instruction":"Do B","report":{"testsRun":["t1",9,"t2"]}}})"));
        QVERIFY(area.bodyText() == u"Request\nDo B\nResult\nNo result yet.\nTests reported\n• t1\n• t2\n");
    }

    // A host that never answers task_detail keeps at most one of them waiting; the others fail as superseded.
    void silentHostHoldsOneDetailRequest() {
        ScriptedLink host(QStringLiteral("no-results"));
        QVERIFY(host.start());
        int failed = 0;
        for (int request = 0; request < 30; ++request) {
            host.link.send("task_detail", false, "a", {}, [&failed](bool ok, const auto&) { failed += ok ? 0 : 1; });
        }
        QVERIFY(host.link.pendingCount() == 1 && failed == 29);
    }

    // Tab leaves the list, Home and End reach its ends, rows are read with their state, only the selected one is filled
    // (inset); a long report is drawn in one pass (it once took quadratic time); a new body keeps the reader's place.
    void keyboardScreenReadersAndLongBodies() {
        TasksArea area;
        area.tasks.renderTasks(taskList(kTasks));
        auto* table = area.view<QTableView>("taskTable");
        area.parent.resize(760, 640);
        area.view<QWidget>("taskDetailArea")->resize(760, 640);
        area.parent.show();
        QVERIFY(QTest::qWaitForWindowActive(&area.parent));
        table->setFocus();
        QTest::keyClick(table, Qt::Key_End);
        QCOMPARE(area.selectedRow(), 2);
        QTest::keyClick(table, Qt::Key_Home);
        QTest::keyClick(table, Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() && !table->isAncestorOf(QApplication::focusWidget()) &&
                area.selectedRow() == 0);
        QCOMPARE(table->model()->index(1, 0).data(Qt::AccessibleTextRole).toString(), QStringLiteral("Beta\nFailed"));
        table->resize(240, 3 * 64);
        const QImage image = table->viewport()->grab().toImage().scaled(table->viewport()->size());
        QCOMPARE(image.pixelColor(4, 6), Theme::selected.resolve(appearanceOf(table)));
        QVERIFY(image.pixelColor(4, 64 + 6) != image.pixelColor(4, 6) &&
                image.pixelColor(4, 0) != image.pixelColor(4, 6));

        QElapsedTimer clock;
        clock.start();
        area.tasks.renderTaskDetail(QJsonObject{{"result", QStringLiteral("*a* b ").repeated(4000)}});
        area.tasks.toggleResult();
        auto* body = selectBodyText(area, 10, 20);
        body->document()->pageCount(); // the layout is part of the drawing
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(area.bodyText(), "Full result\n" + QStringLiteral("a b ").repeated(4000).trimmed() + u'\n');
        const int middle = body->verticalScrollBar()->maximum() / 2;
        body->verticalScrollBar()->setValue(middle);
        body->showSections({{"Full result", QStringLiteral("*a* c ").repeated(4000)}});
        QCOMPARE(body->verticalScrollBar()->value(), middle);
        QVERIFY(!body->textCursor().hasSelection() && body->textCursor().position() == 0);
    }

    // The same detail again is not drawn again (the reader's selection stays); a switch, a failure or a new state
    // draws it again; another task starts with its switches off.
    void detailDrawnWhenItChangesAndLinks() {
        TasksArea area;
        area.tasks.renderTasks(taskList(kOneTask));
        const QJsonObject detail = json(R"({"instruction":"Post the digest","result":"Posted **on time**.", )"
                                        R"("purpose":{"successCriteria":["a","b","c","d","e"]}})");
        area.tasks.renderTaskDetail(detail);
        QVERIFY(area.bodyText().startsWith(QStringLiteral("Request\nPost the digest\n")));
        auto* body = selectBodyText(area, 8, 12);
        area.tasks.renderTaskDetail(detail);
        QCOMPARE(body->textCursor().selectedText(), QStringLiteral("Post"));
        auto* criteria = area.view<QPushButton>("criteriaButton");
        criteria->click();
        QVERIFY(criteria->text() == u"Hide all criteria" && area.bodyText().contains("All success criteria\n1. a\n"));

        area.tasks.renderTasks(taskList(kOneTask));
        area.commands.complete(area.commands.commands.size() - 1, false);
        area.tasks.renderTaskDetail(detail);
        QVERIFY(area.bodyText().startsWith(QStringLiteral("Request\nPost the digest\n")));
        selectBodyText(area, 8, 12);
        area.tasks.renderTasks(taskList(R"([{"key":"t1","label":"Weekly digest","state":"failed"}])"));
        area.tasks.renderTaskDetail(detail);
        QVERIFY(!body->textCursor().hasSelection());

        area.tasks.renderTasks(taskList(R"([{"key":"t2","label":"Other"}])"));
        QVERIFY(area.view<QWidget>("detailActions")->isHidden() && area.view<QWidget>("taskVisuals")->isHidden());
        area.tasks.renderTaskDetail(detail);
        QCOMPARE(criteria->text(), QStringLiteral("Show all criteria"));

        // Rich text from inline Markdown without heading markers, recoloured in place when the appearance changes;
        // links open only when safe, as buttons or in the body, which never navigates itself.
        const QJsonArray links{QJsonObject{{"url", "https://docs.example.org/q3"}}};
        const QString result = "## Summary\n**118** of `120` *now*, [a](javascript:x) [b](https://x.example/b) end";
        area.tasks.renderTaskDetail(QJsonObject{{"truncated", true}, {"links", links}, {"result", result}});
        area.view<QPushButton>("resultButton")->click();
        QCOMPARE(area.bodyText(), QStringLiteral("Full result\nSummary\n118 of 120 now, a b end\n\n"
                                                 "Showing an excerpt of this long task.\n"));
        QVERIFY(formatOf(area, "118").fontWeight() == QFont::DemiBold && formatOf(area, "120").fontFixedPitch() &&
                formatOf(area, "now").fontItalic());
        selectBodyText(area, 0, 4);
        setWindowAppearance(&area.parent, Appearance::dark);
        QCOMPARE((QList<QColor>{formatOf(area, "Full").foreground().color(), formatOf(area, "118").foreground().color(),
                                formatOf(area, "b").foreground().color()}),
                 (QList<QColor>{Theme::secondary.resolve(Appearance::dark), Theme::text.resolve(Appearance::dark),
                                Theme::accent.resolve(Appearance::dark)}));
        QCOMPARE(body->textCursor().selectedText(), QStringLiteral("Full"));
        QCOMPARE(body->findChildren<QTextDocument*>().size(), 1); // documents do not pile up

        const QList<QPushButton*> buttons = area.view<QWidget>("taskLinks")->findChildren<QPushButton*>();
        QVERIFY(buttons.size() == 1 && buttons.first()->text() == u"docs.example.org");
        buttons.first()->click();
        Q_EMIT body->anchorClicked(QUrl(formatOf(area, "a").anchorHref()));
        Q_EMIT body->anchorClicked(QUrl(formatOf(area, "b").anchorHref()));
        QCOMPARE(area.platform.openedUrls,
                 (QList<QUrl>{QUrl("https://docs.example.org/q3"), QUrl("https://x.example/b")}));
        QVERIFY(body->source().isEmpty());
        area.tasks.renderTaskDetail(json(R"({"links":[{"url":"javascript:x"}]})"));
        QVERIFY(area.view<QWidget>("taskLinks")->isHidden());
    }
};

VODU_TEST_SUITE(TasksTest)
#include "TasksTest.moc"
