#include "Harness.h"
#include "TestRegistry.h"
#include "tasks/TaskBodyView.h"
#include "ui/ThemedLabel.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>

namespace {

QJsonObject json(const QString& text) {
    return QJsonDocument::fromJson(text.toUtf8()).object();
}

// Lists one task and shows `detail` as its answer, optionally with the full result switched on.
void showTask(AppDelegate& app, const QJsonObject& task, const QJsonObject& detail, bool fullResult = false) {
    app.renderTasks(QJsonObject{{"items", QJsonArray{task}}});
    app.showFullResult = fullResult;
    app.renderTaskDetail(detail);
}

QString bodyText(AppDelegate& app) {
    return app.taskBody->document()->toPlainText();
}

QStringList cardTexts(AppDelegate& app, const char* name) {
    QStringList texts;
    for (const QLabel* label : app.taskVisuals->findChildren<QLabel*>(QString::fromLatin1(name))) {
        texts.append(label->text());
    }
    return texts;
}

QList<QPushButton*> linkButtonsOf(AppDelegate& app) {
    return app.taskLinks->findChildren<QPushButton*>(Qt::FindDirectChildrenOnly);
}

// The character format of the first occurrence of `text` in the body.
QTextCharFormat formatOf(AppDelegate& app, const QString& text) {
    const QTextCursor found = app.taskBody->document()->find(text);
    QTextCursor probe(app.taskBody->document());
    probe.setPosition(found.selectionStart() + 1);
    return probe.charFormat();
}

const QJsonObject kTask = json(R"({"key":"t1","label":"Weekly digest","state":"succeeded"})");

QJsonObject fiveCriteriaDetail() {
    return json(R"({"result":"Posted **on time**.","purpose":{"successCriteria":["a","b","c","d","e"]}})");
}

} // namespace

class TaskDetailTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sameDetailTwiceRendersOnce() {
        Harness harness;
        AppDelegate& app = harness.app();
        const QJsonObject detail = json(R"({"instruction":"Post the digest","result":"Posted **on time**."})");
        showTask(app, kTask, detail);
        QVERIFY(bodyText(app).startsWith(QStringLiteral("Request\nPost the digest\n")));
        QTextCursor selection(app.taskBody->document());
        selection.setPosition(8);
        selection.setPosition(12, QTextCursor::KeepAnchor);
        app.taskBody->setTextCursor(selection);

        app.renderTaskDetail(json(R"({"result":"Posted **on time**.","instruction":"Post the digest"})"));
        QVERIFY(app.taskBody->textCursor().hasSelection()); // untouched
        QCOMPARE(app.taskBody->textCursor().selectedText(), QStringLiteral("Post"));

        // A switch always draws again: the full result, and the button says how to go back.
        QCOMPARE(app.resultButton->text(), QStringLiteral("Read full result"));
        app.resultButton->click();
        QVERIFY(app.showFullResult);
        QVERIFY(!app.taskBody->textCursor().hasSelection());
        QVERIFY(bodyText(app).contains(QStringLiteral("Full result\nPosted on time.\n")));
        QCOMPARE(app.resultButton->text(), QStringLiteral("Hide full result"));
        app.resultButton->click();
        QVERIFY(!bodyText(app).contains(QStringLiteral("Full result")));
    }

    void aNewStateOrLabelDrawsAgain() {
        Harness harness;
        AppDelegate& app = harness.app();
        const QJsonObject detail = json(R"({"result":"Done."})");
        showTask(app, kTask, detail);
        const QString first = app.renderedDetail;
        app.renderTasks(
            QJsonObject{{"items", QJsonArray{json(R"({"key":"t1","label":"Weekly digest","state":"failed"})")}}});
        app.renderTaskDetail(detail);
        QVERIFY(app.renderedDetail != first);
        QCOMPARE(cardTexts(app, "cardHeading"), QStringList{"Result summary"});
    }

    void resultWithoutCriteria() {
        Harness harness;
        AppDelegate& app = harness.app();
        showTask(app, kTask, json(R"({"result":"All 12 reports were sent."})"));
        QVERIFY(!app.taskVisuals->isHidden());
        QCOMPARE(cardTexts(app, "cardHeading"), QStringList{"Result summary"});
        QCOMPARE(cardTexts(app, "cardRow"), QStringList{"All 12 reports were sent."});
        QVERIFY(app.criteriaButton->isHidden());
        QVERIFY(app.technicalButton->isHidden());
        QVERIFY(!app.resultButton->isHidden());
        QVERIFY(!app.detailActions->isHidden());
    }

    void nothingToSwitchHidesTheActions() {
        Harness harness;
        AppDelegate& app = harness.app();
        showTask(app, kTask, json(R"({"instruction":"Just this"})"));
        QVERIFY(app.detailActions->isHidden());
        QVERIFY(app.taskVisuals->isHidden());
        QCOMPARE(bodyText(app), QStringLiteral("Request\nJust this\nResult\nNo result yet.\n"));
    }

    void fiveCriteria_data() {
        QTest::addColumn<QStringList>("languages");
        QTest::addColumn<QStringList>("cardRows");
        QTest::addColumn<QString>("showAll");
        QTest::addColumn<QString>("hideAll");
        QTest::addColumn<QString>("allHeading");
        QTest::newRow("English") << QStringList{"en-US"} << QStringList{"Posted on time.", "1  a", "2  b", "3 more"}
                                 << "Show all criteria"
                                 << "Hide all criteria"
                                 << "All success criteria";
        QTest::newRow("Japanese") << QStringList{"ja-JP"} << QStringList{"Posted on time.", "1  a", "2  b", "ほか 3 件"}
                                  << "成功条件をすべて表示"
                                  << "成功条件を閉じる"
                                  << "成功条件 · 全件";
    }

    void fiveCriteria() {
        QFETCH(QStringList, languages);
        QFETCH(QStringList, cardRows);
        QFETCH(QString, showAll);
        QFETCH(QString, hideAll);
        QFETCH(QString, allHeading);
        Harness harness(languages);
        AppDelegate& app = harness.app();
        showTask(app, kTask, fiveCriteriaDetail());
        QCOMPARE(cardTexts(app, "cardRow"), cardRows);
        QCOMPARE(app.criteriaButton->text(), showAll);
        app.criteriaButton->click();
        QCOMPARE(app.criteriaButton->text(), hideAll);
        QVERIFY2(bodyText(app).contains(allHeading + QStringLiteral("\n1. a\n2. b\n3. c\n4. d\n5. e\n")),
                 qPrintable(bodyText(app)));
    }

    void instructionEqualToTheLabelIsNotRepeated() {
        Harness harness;
        AppDelegate& app = harness.app();
        showTask(app, kTask, json(R"({"instruction":"Weekly digest","result":"R"})"));
        QVERIFY(!bodyText(app).contains(QStringLiteral("Request")));
        app.renderTaskDetail(json(R"({"instruction":"Weekly digest, but longer","result":"R"})"));
        QVERIFY(bodyText(app).startsWith(QStringLiteral("Request\n")));
    }

    void longResultGivesAShortPreview() {
        Harness harness;
        AppDelegate& app = harness.app();
        const QString result = QStringLiteral("**") + QStringLiteral("word ").repeated(60) + QStringLiteral("**");
        showTask(app, kTask, QJsonObject{{"result", result}});
        const QString preview = cardTexts(app, "cardRow").value(0);
        QCOMPARE(preview.size(), 241);
        QVERIFY(preview.endsWith(QStringLiteral("…")));
        QVERIFY(!preview.contains(QLatin1Char('*')));
    }

    void bodyIsMarkdownWithoutHeadingMarkers() {
        Harness harness;
        AppDelegate& app = harness.app();
        showTask(app, kTask,
                 QJsonObject{{"result", "## Summary\nAnswered **118** of `120`, see [the draft](https://x.example/d)."},
                             {"truncated", true}},
                 true);
        QCOMPARE(bodyText(app), QStringLiteral("Full result\nSummary\nAnswered 118 of 120, see the draft.\n\n"
                                               "Showing an excerpt of this long task.\n"));
        QCOMPARE(formatOf(app, "118").fontWeight(), int(QFont::DemiBold));
        QVERIFY(formatOf(app, "120").fontFixedPitch());
        QVERIFY(formatOf(app, "the draft").isAnchor());
        QCOMPARE(formatOf(app, "the draft").anchorHref(), QStringLiteral("https://x.example/d"));
        QCOMPARE(formatOf(app, "Full result").foreground().color(), Theme::secondary.resolve(app.taskBody));
        QCOMPARE(formatOf(app, "Answered").foreground().color(), Theme::text.resolve(app.taskBody));
        QCOMPARE(formatOf(app, "the draft").foreground().color(), Theme::accent.resolve(app.taskBody));
        // Sections after the first are set apart.
        const QTextBlock note = app.taskBody->document()->find(QStringLiteral("Showing")).block();
        QCOMPARE(note.previous().blockFormat().topMargin(), 24.0);
        QCOMPARE(app.taskBody->document()->firstBlock().blockFormat().topMargin(), 0.0);
    }

    void appearanceSwitchRecoloursWithoutRedrawing() {
        Harness harness;
        AppDelegate& app = harness.app();
        setWindowAppearance(app.window.data(), Appearance::light);
        showTask(app, kTask, json(R"({"instruction":"Post the digest"})"));
        QTextCursor selection(app.taskBody->document());
        selection.setPosition(8);
        selection.setPosition(12, QTextCursor::KeepAnchor);
        app.taskBody->setTextCursor(selection);
        QCOMPARE(formatOf(app, "Request").foreground().color(), Theme::secondary.resolve(Appearance::light));
        setWindowAppearance(app.window.data(), Appearance::dark);
        QCOMPARE(formatOf(app, "Request").foreground().color(), Theme::secondary.resolve(Appearance::dark));
        QCOMPARE(formatOf(app, "Post the digest").foreground().color(), Theme::text.resolve(Appearance::dark));
        QCOMPARE(app.taskBody->textCursor().selectedText(), QStringLiteral("Post"));
    }

    void aFailedRequestDoesNotHideTheNextIdenticalDetail() {
        Harness harness;
        AppDelegate& app = harness.app();
        const QJsonObject detail = json(R"({"instruction":"Post the digest"})");
        showTask(app, kTask, detail);
        // The next snapshot asks again and, without a host, fails at once for the same task.
        app.renderTasks(QJsonObject{{"items", QJsonArray{kTask}}});
        QCOMPARE(bodyText(app), QStringLiteral("Task content is unavailable. Refresh to try again."));
        app.renderTaskDetail(detail);
        QVERIFY(bodyText(app).contains(QStringLiteral("Post the digest")));
    }

    void anotherTaskStartsWithSwitchesOff() {
        Harness harness;
        AppDelegate& app = harness.app();
        const QJsonArray two{kTask, json(R"({"key":"t2","label":"Other"})")};
        app.renderTasks(QJsonObject{{"items", two}});
        app.renderTaskDetail(fiveCriteriaDetail());
        app.criteriaButton->click();
        QVERIFY(app.showAllCriteria);
        app.taskTable->selectRow(1);
        QCOMPARE(app.selectedTaskKey, QStringLiteral("t2"));
        QVERIFY(!app.showAllCriteria);
        QVERIFY(app.renderedDetail.isEmpty());
        QVERIFY(app.selectedDetail.isEmpty());
        QVERIFY(app.taskVisuals->isHidden());
        QVERIFY(app.detailActions->isHidden());
        QVERIFY(linkButtonsOf(app).isEmpty());
    }

    void linkButtons_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("title"); // empty: no button
        QTest::newRow("labelled") << "https://app.vodu.ai/tasks/t1"
                                  << "Open in workspace"
                                  << "Open in workspace";
        QTest::newRow("no label: its host") << "https://docs.example.org/q3" << QString() << "docs.example.org";
        QTest::newRow("javascript") << "javascript:alert(document.cookie)"
                                    << "Run" << QString();
        QTest::newRow("file") << "file:///etc/passwd"
                              << "Passwords" << QString();
        QTest::newRow("user name") << "https://admin@intranet.example/"
                                   << "Admin" << QString();
    }

    void linkButtons() {
        QFETCH(QString, url);
        QFETCH(QString, label);
        QFETCH(QString, title);
        Harness harness;
        AppDelegate& app = harness.app();
        QJsonObject link{{"url", url}};
        if (!label.isNull()) {
            link.insert("label", label);
        }
        showTask(app, kTask, QJsonObject{{"links", QJsonArray{link}}});
        const QList<QPushButton*> buttons = linkButtonsOf(app);
        if (title.isEmpty()) {
            QVERIFY(buttons.isEmpty());
            QVERIFY(app.taskLinks->isHidden());
            return;
        }
        QCOMPARE(buttons.size(), 1);
        QCOMPARE(buttons.first()->text(), title);
        QCOMPARE(buttons.first()->toolTip(), url);
        buttons.first()->click();
        QCOMPARE(harness.fake->openedUrls, QList<QUrl>{QUrl(url)});
    }

    void openTaskLinkChecksTheAddressAgain() {
        Harness harness;
        AppDelegate& app = harness.app();
        QPushButton button;
        button.setToolTip(QStringLiteral("javascript:alert(1)"));
        app.openTaskLink(&button);
        app.openTaskLink(nullptr);
        QVERIFY(harness.fake->openedUrls.isEmpty());
    }

    void bodyLinkClicks_data() {
        QTest::addColumn<QString>("href");
        QTest::addColumn<bool>("opened");
        QTest::newRow("https") << "https://x.example/d" << true;
        QTest::newRow("javascript") << "javascript:alert(1)" << false;
        QTest::newRow("file") << "file:///home/user/.ssh/id_ed25519" << false;
        QTest::newRow("data") << "data:text/html;base64,PHNjcmlwdD4=" << false;
        QTest::newRow("custom scheme") << "vodu://quit" << false;
        QTest::newRow("credentials") << "https://user:pw@x.example/" << false;
        QTest::newRow("relative") << "reports/draft.md" << false;
    }

    void bodyLinkClicks() {
        QFETCH(QString, href);
        QFETCH(bool, opened);
        Harness harness;
        AppDelegate& app = harness.app();
        showTask(app, kTask, QJsonObject{{"result", QStringLiteral("Open [this](") + href + QStringLiteral(") now.")}},
                 true);
        QCOMPARE(formatOf(app, "this").anchorHref(), href);
        const QString before = bodyText(app);
        Q_EMIT app.taskBody->anchorClicked(QUrl(href));
        QCOMPARE(harness.fake->openedUrls.size(), opened ? 1 : 0);
        // The view itself never navigates.
        QCOMPARE(bodyText(app), before);
        QVERIFY(app.taskBody->source().isEmpty());
    }
};

VODU_TEST_SUITE(TaskDetailTest)
#include "TaskDetailTest.moc"
