#include "delivery/DeliveryDetails.h"
#include "TestData.h"
#include "TestRegistry.h"

#include <QJsonArray>
#include <QTest>

namespace {

const Copy english{false};

// One line per card: "Section: title [label=value, ...]", with its facts, then its facets, then its closing facts.
QStringList outline(const QList<DetailSection>& sections) {
    QStringList lines;
    for (const DetailSection& section : sections) {
        for (const DetailCard& card : section.cards) {
            QStringList facts;
            for (const DetailFact& fact : card.facts + card.facets + card.closingFacts) {
                facts.append(fact.label + u'=' + fact.value);
            }
            lines.append(section.title + ": " + card.title + (facts.isEmpty() ? "" : " [" + facts.join(", ") + "]"));
        }
    }
    return lines;
}

} // namespace

class DeliveryDetailsTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void tabs_data() {
        QTest::addColumn<QJsonObject>("record");
        QTest::addColumn<int>("tab");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("no plan") << json(R"({"plan":"mistyped"})") << 7 << QStringList{"Plan: No assessed plan yet."};
        QTest::newRow("options") << json(R"({"plan":{"diagnosis":"Tests fail","selectedOptionId":"o2",
                "alternatives":[{"id":"o1","action":{"summary":"Pin it","kind":"write","scope":"single_file"},
                   "assessment":{"risk":"high","inObjective":true},"expectedVerification":"CI","rollback":"Revert"},
                  {"id":"o2","action":{}}, 5],
                "recommendation":{"optionId":"o1","reason":"Smallest"}},
              "escalation":{"options":[{"id":"ignored"}],"cause":"Two ways","userQuestion":"  "}})")
                                 << 0
                                 << QStringList{"Diagnosis: Tests fail",
                                                "Options: Pin it [Action=Make a change, Target=One file, Risk=High, "
                                                "Within goal=Yes, Verify=CI, Rollback=Revert]",
                                                "Options: o2 · Selected",
                                                "Recommendation: Pin it",
                                                "Recommendation: Smallest",
                                                "Needs a decision: Two ways"};
        QTest::newRow("criteria") << json(R"({"state":"reported_done","verification":{"total":2,"verified":1.5,
              "results":{"c1":{"verified":true,"source":"file_contains","checkedAt":"2026-01-02","path":"a.md",
                      "sha256":"ab12ab12ab12ab12ab12ab12ab12ab12ab12ab12ab12ab12ab12ab12ab12ab12"},
                "c2":{"verified":false,"checkedAt":"never shown","source":"robot","exactPath":"b.md","path":"x"}}},
              "acceptanceCriteria":[{"id":"c1","description":"Docs"},{"id":"c2"}]})")
                                  << 2
                                  << QStringList{"Verification status: Provider reported completion. This is not "
                                                 "independent verification.",
                                                 "Verification status: 0/2 criteria verified",
                                                 "Acceptance criteria: Docs [Status=Verified, Source=Automatic check · "
                                                 "content matched, Checked=2026-01-02, File=a.md, SHA-256=ab12ab12ab12"
                                                 "ab12ab12ab12ab12ab12ab12ab12ab12ab12ab12ab12ab12ab12]",
                                                 "Acceptance criteria: c2 [Status=Unverified, File=b.md]"};
    }
    void tabs() {
        QFETCH(QJsonObject, record);
        QFETCH(int, tab);
        QTEST(outline(deliveryDetails(record, tab, english)), "lines");
    }

    // Host text is masked (before a word's underscores go) and cut; of thousands of entries the first ones are built,
    // with a count of the rest.
    void hostTextIsMaskedCutAndCapped() {
        const QJsonObject plan{{"plan", QJsonObject{{"diagnosis", "see https://x.example/a " + QString(300, u'z')}}}};
        const QString shown = deliveryDetails(plan, 0, english).first().cards.first().title;
        QVERIFY(shown.startsWith(QStringLiteral("see ••• ")) && shown.size() <= 180);
        QCOMPARE(detailValue(QJsonValue("token=" + QString(45, u'a') + "_b"), english), QStringLiteral("•••"));
        QCOMPARE(detailValue(QJsonValue("blast_radius"), english), QStringLiteral("blast radius"));
        QJsonArray history;
        for (int index = 0; index < 5000; ++index) {
            history.append(QJsonObject{{"action", QJsonObject{{"summary", QString("Step %1").arg(index)}}}});
        }
        const DetailSection recent = deliveryDetails(QJsonObject{{"decisionHistory", history}}, 1, english).first();
        QCOMPARE(recent.cards.last().title, QStringLiteral("Step %1").arg(kDetailCardLimit - 1));
        QCOMPARE(recent.cards.size() + recent.omitted, 5000);
    }
};

VODU_TEST_SUITE(DeliveryDetailsTest)
#include "DeliveryDetailsTest.moc"
