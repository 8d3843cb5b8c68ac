// Host text is shown as the characters it holds: markup in any field is never read as rich text (which would load
// images from local paths, devices or pipes), and tool tips and menu titles show it literally as well.
#include "Harness.h"
#include "TestRegistry.h"
#include "ui/StatusRow.h"
#include "ui/ThemedLabel.h"

#include <QAction>
#include <QJsonDocument>
#include <QLabel>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTextDocument>

namespace {

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

} // namespace

class HostTextIsTextTest final : public HarnessTest {
    Q_OBJECT

private Q_SLOTS:
    void markupInEveryFieldIsShownLiterally() {
        QString snapshot = QStringLiteral(R"({
            "version": "M", "auth": {"state": "signed_in", "userLabel": "M"},
            "connection": {"state": "offline", "error": "M"},
            "providers": {"codex": {"state": "ready", "version": "M"}, "claude": {"state": "ready", "version": "M"}},
            "deliveryHooks": {"runs": [{"provider": "M", "state": "blocked", "reason": "M", "needsAttention": true}]},
            "sessionSupervision": {"providers": {"codex": {"discovery": "unavailable", "reason": "M"}},
                                   "sessions": [{"provider": "codex", "session": "s1", "title": "M"}]},
            "tasks": {"activeCount": 1, "items": [{"key": "t1", "label": "M", "state": "running"}]},
            "update": {"state": "failed", "message": "M"}})");
        snapshot.replace(
            QStringLiteral("\"M\""),
            QString::fromUtf8(QJsonDocument(QJsonArray{kMarkup}).toJson(QJsonDocument::Compact)).mid(1).chopped(1));
        const QJsonObject status = QJsonDocument::fromJson(snapshot.toUtf8()).object();
        QVERIFY(!status.isEmpty());
        app().showWindow();
        app().render(status);
        app().overview().showStatusPanel();
        QCoreApplication::processEvents();

        // Every label of the window and the sheet reads its text as plain text.
        for (const QLabel* label : app().window()->findChildren<QLabel*>()) {
            if (!label->text().isEmpty()) {
                QVERIFY2(label->textFormat() == Qt::PlainText, qPrintable(label->objectName()));
            }
        }
        const QString literal = kMarkup;
        QCOMPARE(view<StatusRow>(app(), "accountRow")->detail()->text(), literal);
        QCOMPARE(view<StatusRow>(app(), "connectionRow")->detail()->text().left(literal.size()), literal);
        QCOMPARE(shownToolTip(view<StatusRow>(app(), "accountRow")->detail()->toolTip()), literal);
        QVERIFY(view<QLabel>(app(), "taskTitle")->text().contains(literal));
        QVERIFY(view<QLabel>(app(), "versionLabel")->text().contains(literal));
        QVERIFY(view<QLabel>(app(), "hookLabel")->text().contains(literal));

        // A summary holding host text: the tray's tool tip and menu title show it as it is.
        app().link().handleLine(QByteArrayLiteral("{\"type\":\"error\",\"message\":\"x\"}"));
        app().overview().updateMenuStatus(QStringLiteral("A & B ") + literal);
        QCOMPARE(view<QAction>(app(), "menuStatus")->text(),
                 QStringLiteral("A && B ") + QString(literal).replace(u'&', QStringLiteral("&&")));
        QCOMPARE(shownToolTip(app().overview().statusItem()->toolTip()), QStringLiteral("VODU · A & B ") + literal);
    }
};

VODU_TEST_SUITE(HostTextIsTextTest)
#include "HostTextIsTextTest.moc"
