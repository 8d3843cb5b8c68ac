#include "sessions/original/OriginalConversation.h"
#include "SessionJson.h"
#include "TestRegistry.h"
#include "sessions/home/HomeSelection.h"

#include <QTest>

namespace {

const Copy english{false};
const QString kUuid = QStringLiteral("0f3a9d27-6b1e-4c58-a2d4-7e91b3c60f85");

} // namespace

class OriginalConversationTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void codexLink_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("session");
        QTest::addColumn<bool>("opened");
        const auto add = [](const char* name, const QString& target, const QString& session, bool opened) {
            QTest::newRow(name) << target << session << opened;
        };
        const auto verified = [](const QString& url) {
            return QString::fromUtf8(R"({"kind":"url","verifiedOnPlatform":true,"url":"%1"})").arg(url);
        };
        const QString upper = kUuid.toUpper();
        add("verified thread link", verified("codex://threads/" + kUuid), kUuid, true);
        add("upper-case id, same link", verified("codex://threads/" + upper), upper, true);
        add("link in upper case, id in lower case", verified("codex://threads/" + upper), kUuid, false);
        add("not verified", QString::fromUtf8(R"({"kind":"url","url":"codex:\/\/threads/%1"})").arg(kUuid), kUuid,
            false);
        add("verified as text",
            QString::fromUtf8(R"({"kind":"url","verifiedOnPlatform":"true","url":"codex:\/\/threads/%1"})").arg(kUuid),
            kUuid, false);
        add("kind in capitals",
            QString::fromUtf8(R"({"kind":"URL","verifiedOnPlatform":true,"url":"codex:\/\/threads/%1"})").arg(kUuid),
            kUuid, false);
        add("web address", verified("https://chatgpt.com/codex/" + kUuid), kUuid, false);
        add("trailing slash", verified("codex://threads/" + kUuid + "/"), kUuid, false);
        add("query appended", verified("codex://threads/" + kUuid + "?approve=1"), kUuid, false);
        const QString notHex = QString(kUuid).replace(0, 1, QLatin1Char('g'));
        add("36 characters, not a UUID", verified("codex://threads/" + notHex), notHex, false);
        const QString shifted = QStringLiteral("0f3a9d276-b1e-4c58-a2d4-7e91b3c60f85");
        add("hyphens out of place", verified("codex://threads/" + shifted), shifted, false);
        const QString wide = QStringLiteral("０f3a9d27-6b1e-4c58-a2d4-7e91b3c60f85");
        add("full-width digit", verified("codex://threads/" + wide), wide, false);
        add("line break after the id", verified("codex://threads/" + kUuid + "\\n"), kUuid + "\n", false);
        add("empty id", verified("codex://threads/"), QString(), false);
    }

    void codexLink() {
        QFETCH(QString, target);
        QFETCH(QString, session);
        QFETCH(bool, opened);
        const std::optional<QUrl> link = exactCodexThreadURL(jsonObject(target), session);
        QCOMPARE(link.has_value(), opened);
        if (link) {
            QCOMPARE(link->toString(), QStringLiteral("codex://threads/") + session);
        }
    }

    void button_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<bool>("fixture");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<QString>("title");
        const auto add = [](const char* name, const char* record, bool fixture, bool visible, const char* title) {
            QTest::newRow(name) << QString(record) << fixture << visible << QString(title);
        };
        add("empty state", "null", true, false, "Open original conversation");
        add("Codex link", R"({"provider":"codex","originalSessionTarget":{"kind":"url","label":"Mine"}})", false, true,
            "Open in Codex");
        add("Claude by hand", R"({"provider":"claude","originalSessionTarget":{"kind":"manual"}})", false, true,
            "Return to Claude");
        add("Codex by hand", R"({"provider":"codex","originalSessionTarget":{"kind":"manual"}})", false, true,
            "Find original conversation");
        add("label with an address",
            R"({"provider":"claude","originalSessionTarget":{"kind":"url","label":" Resume at https:\/\/x.test/1 "}})",
            false, true, "Resume at •••");
        add("no label", R"({"provider":"claude","originalSessionTarget":{"kind":"url","label":7}})", false, true,
            "Open original conversation");
        add("no way there", R"({"provider":"codex","originalSessionTarget":"url"})", false, false, "Open in Codex");
        add("preview, Codex", R"({"provider":"codex"})", true, true, "Open in Codex · sample");
        add("preview, Claude by hand", R"({"provider":"claude","originalSessionTarget":{"kind":"manual"}})", true, true,
            "Original conversation · sample");
    }

    void button() {
        QFETCH(QString, record);
        QFETCH(bool, fixture);
        QFETCH(bool, visible);
        QFETCH(QString, title);
        const OriginalNavigationButton button = originalNavigationButton(jsonRecord(record), fixture, english);
        QCOMPARE(button.visible, visible);
        QCOMPARE(button.title, title);
        QVERIFY(button.toolTip.contains(QStringLiteral("does not approve or resume")));
    }

    // An unmanaged conversation opens itself even while another conversation's run is selected.
    void recordChoice_data() {
        QTest::addColumn<QString>("selectedSession");
        QTest::addColumn<QString>("selectedRun");
        QTest::addColumn<QString>("chosen"); // the chosen record's "title"; empty: none
        QTest::newRow("unmanaged conversation") << "codex|a"
                                                << "claude|r|t"
                                                << "session a";
        QTest::newRow("managed conversation: its run") << "codex|m"
                                                       << "claude|r|t"
                                                       << "run r";
        QTest::newRow("no conversation selected") << ""
                                                  << "claude|r|t"
                                                  << "run r";
        QTest::newRow("nothing selected") << ""
                                          << ""
                                          << "";
    }

    void recordChoice() {
        QFETCH(QString, selectedSession);
        QFETCH(QString, selectedRun);
        QFETCH(QString, chosen);
        const QList<QJsonObject> sessions = jsonObjects(R"([
            {"provider":"codex","session":"a","title":"session a"},
            {"provider":"codex","session":"m","title":"session m","binding":{"mode":"managed"}}])");
        const QList<QJsonObject> runs =
            jsonObjects(R"([{"provider":"claude","session":"r","taskId":"t","title":"run r"}])");
        SupervisionModel model{sessions, runs, selectedSession, selectedRun};
        const std::optional<QJsonObject> record =
            originalConversationRecord(selectedConversation(model), ::selectedRun(model));
        QCOMPARE(record.value_or(QJsonObject()).value(u"title").toString(), chosen);
    }

    void opening_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<bool>("fixture");
        QTest::addColumn<int>("step"); // OriginalConversationOpening::Step
        QTest::addColumn<bool>("link");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("text");
        using Step = OriginalConversationOpening::Step;
        const auto add = [](const char* name, const QString& record, bool fixture, Step step, bool link,
                            const char* message, const QString& text) {
            QTest::newRow(name) << record << fixture << static_cast<int>(step) << link << QString(message) << text;
        };
        const QString verified =
            QString::fromUtf8(R"({"provider":"codex","session":"%1","originalSessionTarget":{"kind":"url",
                "verifiedOnPlatform":true,"url":"codex:\/\/threads/%1"}})")
                .arg(kUuid);
        add("verified Codex link", verified, false, Step::open, true, "Could not open the original conversation",
            "No verified link is available for this conversation.\n\nSession ID: " + kUuid);
        add("Codex without a link, masked reason", R"({"provider":"codex","session":"s1",
            "originalSessionTarget":{"reason":"Bearer abc.def expired"}})",
            false, Step::open, false, "Could not open the original conversation", "••• expired\n\nSession ID: s1");
        add("Claude with a link", QString(verified).replace(QStringLiteral("codex"), QStringLiteral("claude")), false,
            Step::open, false, "Return to the original Claude conversation",
            "Return to the original Claude window. VODU will not start a second CLI process. This does not approve "
            "or resume anything.\n\nSession ID: " +
                kUuid);
        // The id is the user's only key to the conversation: whole, on one line.
        add("opaque 250-character id on one line",
            QString::fromUtf8(R"({"provider":"claude","session":"%1\n%1"})").arg(QString(125, QLatin1Char('x'))), false,
            Step::open, false, "Return to the original Claude conversation",
            "Return to the original Claude window. VODU will not start a second CLI process. This does not approve "
            "or resume anything.\n\nSession ID: " +
                QString(125, QLatin1Char('x')) + u' ' + QString(125, QLatin1Char('x')));
        add("preview", verified, true, Step::preview, false, "Sample conversation",
            "Preview only. No conversation will open and no approval will be sent.");
        add("session missing", R"({"provider":"codex","session":5})", false, Step::nothing, false, "", "");
        add("no record", "null", true, Step::nothing, false, "", "");
    }

    void opening() {
        QFETCH(QString, record);
        QFETCH(bool, fixture);
        QFETCH(int, step);
        QFETCH(bool, link);
        QFETCH(QString, message);
        QFETCH(QString, text);
        const OriginalConversationOpening opening = originalConversationOpening(jsonRecord(record), fixture, english);
        QCOMPARE(static_cast<int>(opening.step), step);
        QCOMPARE(opening.link.has_value(), link);
        QCOMPARE(opening.alert.message, message);
        QCOMPARE(opening.alert.text, text);
    }
};

VODU_TEST_SUITE(OriginalConversationTest)
#include "OriginalConversationTest.moc"
