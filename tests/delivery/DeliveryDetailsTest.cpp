#include "delivery/DeliveryDetails.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "delivery/DeliveryRecords.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

namespace {

const Copy english{false};

// One line per card: "Section: title [label=value, ...]", facets in braces, closing facts after a bar.
QStringList outline(const QList<DetailSection>& sections) {
    QStringList lines;
    const auto facts = [](const QList<DetailFact>& list) {
        QStringList pairs;
        for (const DetailFact& fact : list) {
            pairs.append(fact.label + u'=' + fact.value);
        }
        return pairs.join(QStringLiteral(", "));
    };
    for (const DetailSection& section : sections) {
        for (const DetailCard& card : section.cards) {
            QString line = section.title + QStringLiteral(": ") + card.title;
            if (!card.facts.isEmpty()) {
                line += QStringLiteral(" [") + facts(card.facts) + u']';
            }
            if (!card.facets.isEmpty()) {
                line += QStringLiteral(" {") + facts(card.facets) + u'}';
            }
            if (!card.closingFacts.isEmpty()) {
                line += QStringLiteral(" | ") + facts(card.closingFacts);
            }
            lines.append(line);
        }
    }
    return lines;
}

} // namespace

class DeliveryDetailsTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void tabs_data() {
        QTest::addColumn<QJsonObject>("run");
        QTest::addColumn<int>("tab");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty plan") << json(R"({"plan":{}})") << 0 << QStringList{"Plan: No assessed plan yet."};
        QTest::newRow("index out of range is the plan")
            << json(R"({"plan":"mistyped"})") << 7 << QStringList{"Plan: No assessed plan yet."};
        QTest::newRow("options") << json(R"({"plan":{"diagnosis":"Tests fail","selectedOptionId":"o2",
                "alternatives":[
                  {"id":"o1","action":{"summary":"Pin the version","kind":"write","scope":"single_file"},
                   "assessment":{"uncertainty":"low","risk":"high","inObjective":true,"userChoice":3},
                   "expectedVerification":"CI passes","rollback":"Revert"},
                  {"id":"o2","action":{}}, 5],
                "recommendation":{"optionId":"o1","reason":"Smallest change"},
                "remainingWork":"Docs"},
              "escalation":{"options":[{"id":"ignored"}],"cause":"Two ways","userQuestion":"  "}})")
                                 << 0
                                 << QStringList{"Diagnosis: Tests fail",
                                                "Options: Pin the version [Action=Make a change, Target=One file] "
                                                "{Risk=High, Uncertainty=Low, Within goal=Yes} | Verify=CI passes, "
                                                "Rollback=Revert",
                                                "Options: o2 · Selected",
                                                "Recommendation: Pin the version",
                                                "Recommendation: Smallest change",
                                                "Needs a decision: Two ways",
                                                "Remaining work: Docs"};
        QTest::newRow("escalation options and plan question")
            << json(R"({"plan":{"alternatives":[],"userQuestion":"Which port?"},
                        "escalation":{"options":[{"id":"e1","action":{"scope":"deploy_all","kind":"production"}}]}})")
            << 0
            << QStringList{"Options: deploy_all [Action=Live service, Target=deploy all]", "Question: Which port?"};
        QTest::newRow("no activity") << json(R"({"decision":{},"decisionHistory":[]})") << 1
                                     << QStringList{"Activity: No decisions recorded yet."};
        QTest::newRow("activity") << json(R"({"decision":{"action":{"scope":"src/"},"outcome":"approved",
                "policy":"balanced","assessment":{"reversibility":"reversible"},"rollback":"git revert"},
              "decisionHistory":[{"action":{"summary":"Ran tests"},"result":"passed","at":"10:00"},{},"x"],
              "escalation":{"cause":"Stuck","tried":[{"reason":"Flaky"}],"results":[]}})")
                                  << 1
                                  << QStringList{"Current decision: src/ [Outcome=approved, Policy=balanced] "
                                                 "{Reversibility=Can be undone} | Rollback=git revert",
                                                 "Recent decisions: Ran tests [Outcome=passed, When=10:00]",
                                                 "Needs a decision: Stuck", "Tried:  [Reason=Flaky]"};
        QTest::newRow("no criteria") << json(R"({"verification":{"total":0,"verified":0}})") << 2
                                     << QStringList{"Acceptance criteria: No acceptance criteria recorded yet."};
        QTest::newRow("reported done without a count")
            << json(R"({"state":"reported_done","verification":{"total":"3"}})") << 2
            << QStringList{"Verification status: Provider reported completion. This is not independent verification.",
                           "Acceptance criteria: No acceptance criteria recorded yet."};
        QTest::newRow("criteria") << json(R"({"verification":{"total":2,"verified":1.5,"results":{
                "c1":{"verified":true,"source":"file_contains","checkedAt":"2026-01-02T03:04:05Z","path":"a.md",
                      "sha256":"ab12ab12ab12ab12ab12ab12ab12ab12ab12ab12ab12ab12ab12ab12ab12ab12"},
                "c2":{"verified":false,"checkedAt":"never shown","source":"robot","exactPath":"b.md","path":"x"}}},
              "acceptanceCriteria":[{"id":"c1","description":"Docs"},{"id":"c2"},{"id":"c3"},{}]})")
                                  << 2
                                  << QStringList{"Verification status: 0/2 criteria verified",
                                                 "Acceptance criteria: Docs [Status=Verified, Source=Automatic check · "
                                                 "content matched, Checked=2026-01-02T03:04:05Z, File=a.md, "
                                                 "SHA-256=ab12ab12ab12ab12ab12ab12ab12ab12ab12ab12ab12ab12ab12ab12ab12"
                                                 "ab12]",
                                                 "Acceptance criteria: c2 [Status=Unverified, File=b.md]",
                                                 "Acceptance criteria: c3 [Status=Unverified]",
                                                 "Acceptance criteria:  [Status=Unverified]"};
    }

    void tabs() {
        QFETCH(QJsonObject, run);
        QFETCH(int, tab);
        QTEST(outline(deliveryDetails(run, tab, english)), "lines");
    }

    void valueWords_data() {
        QTest::addColumn<QJsonValue>("value");
        QTest::addColumn<QString>("word"); // empty: absent
        QTest::newRow("table") << QJsonValue("multi_system") << "Multiple systems";
        QTest::newRow("outside the table") << QJsonValue("blast_radius_wide") << "blast radius wide";
        QTest::newRow("case matters") << QJsonValue("High") << "High";
        QTest::newRow("flag") << QJsonValue(false) << "No";
        QTest::newRow("number") << QJsonValue(0.7) << "";
        QTest::newRow("blank") << QJsonValue("   ") << "";
        QTest::newRow("secret masked before underscores go")
            << QJsonValue("token=" + QString(45, u'a') + "_b") << "•••";
    }

    void valueWords() {
        QFETCH(QJsonValue, value);
        QTEST(detailValue(value, english).value_or(QString()), "word");
    }

    void hostTextIsMaskedAndCut() {
        const QJsonObject run{{"plan", QJsonObject{{"diagnosis", "see https://x.example/a " + QString(300, u'z')}}}};
        const QString shown = deliveryDetails(run, 0, english).first().cards.first().title;
        QVERIFY(shown.startsWith(QStringLiteral("see ••• ")));
        QVERIFY(shown.size() <= 180);
    }

    // A host may send thousands of entries: the newest ones are built, with a count of the rest.
    void manyActivityEntriesAreCapped() {
        QJsonArray history;
        for (int index = 0; index < 5000; ++index) {
            history.append(QJsonObject{{"action", QJsonObject{{"summary", QString("Step %1").arg(index)}}},
                                       {"result", "passed"},
                                       {"reason", "Because"},
                                       {"at", "2026-01-01T00:00:00Z"}});
        }
        const QList<DetailSection> sections = deliveryDetails(QJsonObject{{"decisionHistory", history}}, 1, english);
        QCOMPARE(sections.first().cards.size(), kDetailCardLimit);
        QCOMPARE(sections.first().cards.last().title, QStringLiteral("Step %1").arg(kDetailCardLimit - 1));
        QCOMPARE(sections.first().omitted, 5000 - kDetailCardLimit);
    }

    void japaneseTitles() {
        const Copy japanese{true};
        const QJsonObject run = json(R"({"plan":{"selectedOptionId":"o1","alternatives":[{"id":"o1"}]}})");
        QCOMPARE(deliveryDetails(run, 0, japanese).first().cards.first().title, QStringLiteral("o1 · 選択中"));
    }
};

VODU_TEST_SUITE(DeliveryDetailsTest)
#include "DeliveryDetailsTest.moc"
