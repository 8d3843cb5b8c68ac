#include "TasksArea.h"
#include "TestRegistry.h"
#include "tasks/TaskBodyView.h"
#include "tasks/TaskDetailContent.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QScrollBar>
#include <QTest>
#include <QTextDocument>

namespace {

// A report of `lines` numbered lines, each with strong, code and emphasised runs.
QList<TaskSection> longReport(int lines, const QString& word = QStringLiteral("step")) {
    QString text;
    for (int line = 0; line < lines; ++line) {
        text += QStringLiteral("%1. **%2** ran `check %1` *twice*\n").arg(line).arg(word);
    }
    return {TaskSection{QStringLiteral("Full result"), text}, TaskSection{QStringLiteral("Error"), word}};
}

// A shown top-level body of a fixed size, so that it lays its document out as the window does.
std::unique_ptr<QWidget> shownBody(TaskBodyView*& body) {
    auto window = std::make_unique<QWidget>();
    body = new TaskBodyView(window.get());
    body->resize(420, 300);
    window->resize(420, 300);
    window->show();
    return window;
}

} // namespace

class TaskBodyTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A long report full of inline runs is drawn in one pass: it used to take time in the square of its length.
    void manyInlineRunsDrawnAtOnce() {
        TasksArea area;
        area.view<QWidget>("taskDetailArea")->resize(760, 640);
        area.parent.resize(760, 640);
        area.parent.show();
        auto* taskBody = area.view<TaskBodyView>("taskBody");
        QVERIFY(taskBody->isVisible());
        area.tasks.renderTasks(taskList(R"([{"key":"t1","label":"Weekly digest","state":"succeeded"}])"));
        const QString runs = QStringLiteral("*a* b ").repeated(4000);
        QElapsedTimer clock;
        clock.start();
        area.tasks.renderTaskDetail(QJsonObject{{"result", runs}});
        area.tasks.toggleResult();         // the full result: drawn a second time
        taskBody->document()->pageCount(); // the layout is part of the drawing
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(taskBody->document()->toPlainText(),
                 QStringLiteral("Full result\n") + QStringLiteral("a b ").repeated(4000).trimmed() + u'\n');
    }

    // Drawing a new body keeps the reader where they were and puts the cursor back at the start.
    void scrollPositionKept() {
        TaskBodyView* body = nullptr;
        const std::unique_ptr<QWidget> window = shownBody(body);
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        body->showSections(longReport(3000));
        body->document()->pageCount();
        QVERIFY(body->verticalScrollBar()->maximum() > 40000);
        QTextCursor selection(body->document());
        selection.setPosition(10);
        selection.setPosition(20, QTextCursor::KeepAnchor);
        body->setTextCursor(selection);
        body->verticalScrollBar()->setValue(40000);

        body->showSections(longReport(3000, QStringLiteral("stage")));
        QCOMPARE(body->verticalScrollBar()->value(), 40000);
        QVERIFY(!body->textCursor().hasSelection());
        QCOMPARE(body->textCursor().position(), 0);
        QVERIFY(body->document()->toPlainText().contains(QStringLiteral("2999. stage ran check 2999 twice")));

        // A shorter body scrolls back as far as it reaches.
        body->showSections(longReport(3));
        body->document()->pageCount();
        QCOMPARE(body->verticalScrollBar()->value(), body->verticalScrollBar()->maximum());
    }

    // Each body replaces the last: documents do not pile up, and the colours still follow the appearance.
    void oneDocumentAtATime() {
        TaskBodyView* body = nullptr;
        const std::unique_ptr<QWidget> window = shownBody(body);
        setWindowAppearance(window.get(), Appearance::light);
        for (int round = 0; round < 3; ++round) {
            body->showSections(longReport(5));
        }
        QCOMPARE(body->findChildren<QTextDocument*>().size(), 1);
        QCOMPARE(body->findChildren<QTextDocument*>().constFirst(), body->document());

        setWindowAppearance(window.get(), Appearance::dark);
        body->followAppearance();
        QTextCursor probe(body->document());
        probe.setPosition(body->document()->find(QStringLiteral("ran")).selectionStart() + 1);
        QCOMPARE(probe.charFormat().foreground().color(), Theme::text.resolve(Appearance::dark));
    }
};

VODU_TEST_SUITE(TaskBodyTest)
#include "TaskBodyTest.moc"
