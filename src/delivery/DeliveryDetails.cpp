#include "delivery/DeliveryDetails.h"

#include "model/SnapshotReading.h"
#include "model/TextSafety.h"

#include <QRegularExpression>

#include <array>

namespace {

struct Word {
    const char* value;
    const char* japanese;
    const char* english;
};

constexpr std::array<Word, 13> kValueWords{{
    {"low", "低い", "Low"},
    {"medium", "中程度", "Moderate"},
    {"high", "高い", "High"},
    {"reversible", "元に戻せます", "Can be undone"},
    {"irreversible", "元に戻せません", "Cannot be undone"},
    {"none", "なし", "None"},
    {"external", "この作業領域の外に影響", "Affects people or systems outside this workspace"},
    {"single_file", "1つのファイル", "One file"},
    {"multi_system", "複数のシステム", "Multiple systems"},
    {"read", "内容を確認", "Read or inspect"},
    {"write", "内容を変更", "Make a change"},
    {"production", "公開中のサービス", "Live service"},
    {"task", "このタスク", "This task"},
}};

constexpr std::array<Word, 7> kFacets{{
    {"risk", "リスク", "Risk"},
    {"reversibility", "可逆性", "Reversibility"},
    {"externalEffect", "外部への影響", "External effect"},
    {"blastRadius", "影響範囲", "Scope"},
    {"uncertainty", "不確実性", "Uncertainty"},
    {"inObjective", "目的内", "Within goal"},
    {"userChoice", "ユーザーの選択", "User choice"},
}};

std::optional<QString> text(const QJsonObject& record, QStringView key) {
    return safeMessage(stringAt(record, key), kShortTextLimit);
}

// Label/value rows; a row without a value is left out.
void addFact(QList<DetailFact>& facts, const QString& label, const std::optional<QString>& value) {
    if (value) {
        facts.append({label, *value});
    }
}

DetailCard textCard(const QString& line) {
    DetailCard card;
    card.title = line;
    return card;
}

void addSection(QList<DetailSection>& sections, const QString& title, QList<DetailCard> cards, qsizetype omitted = 0) {
    if (cards.size() > kDetailCardLimit) {
        omitted += cards.size() - kDetailCardLimit;
        cards.resize(kDetailCardLimit);
    }
    if (!cards.isEmpty()) {
        sections.append({title, std::move(cards), omitted});
    }
}

void addTextSection(QList<DetailSection>& sections, const QString& title, const std::optional<QString>& line) {
    if (line) {
        sections.append({title, {textCard(*line)}});
    }
}

bool isEmptyCard(const DetailCard& card) {
    return card.title.isEmpty() && card.facts.isEmpty() && card.facets.isEmpty() && card.closingFacts.isEmpty();
}

DetailCard entryCard(const QJsonObject& entry, const Copy& copy) {
    DetailCard card;
    card.title = detailActionSummary(objectAt(entry, u"action")).value_or(QString());
    addFact(card.facts, copy.text("結果", "Outcome"), text(entry, u"result"));
    addFact(card.facts, copy.text("理由", "Reason"), text(entry, u"reason"));
    addFact(card.facts, copy.text("時刻", "When"), text(entry, u"at"));
    return card;
}

// The entries in their order, up to the card limit; the ones after it are only counted.
void addEntrySection(QList<DetailSection>& sections, const QString& title, const QJsonArray& entries,
                     const Copy& copy) {
    QList<DetailCard> cards;
    qsizetype index = 0;
    for (; index < entries.size() && cards.size() < kDetailCardLimit; ++index) {
        DetailCard card = entryCard(entries.at(index).toObject(), copy);
        if (!isEmptyCard(card)) {
            cards.append(std::move(card));
        }
    }
    addSection(sections, title, std::move(cards), entries.size() - index);
}

void addVerifyAndRollback(QList<DetailFact>& facts, const QJsonObject& record, const Copy& copy) {
    addFact(facts, copy.text("確認方法", "Verify"), text(record, u"expectedVerification"));
    addFact(facts, copy.text("戻す方法", "Rollback"), text(record, u"rollback"));
}

QList<DetailSection> planTab(const QJsonObject& run, const Copy& copy) {
    const QJsonObject plan = objectAt(run, u"plan");
    const QJsonObject escalation = objectAt(run, u"escalation");
    QList<DetailSection> sections;
    addTextSection(sections, copy.text("診断", "Diagnosis"), text(plan, u"diagnosis"));

    QList<QJsonObject> options = objectsAt(plan, u"alternatives");
    if (options.isEmpty()) {
        options = objectsAt(escalation, u"options");
    }
    const std::optional<QString> selectedId = stringAt(plan, u"selectedOptionId");
    QList<DetailCard> optionCards;
    for (const QJsonObject& option : options) {
        const QJsonObject action = objectAt(option, u"action");
        const std::optional<QString> id = stringAt(option, u"id");
        DetailCard card;
        card.title = detailActionSummary(action).value_or(safeMessage(id, kShortTextLimit).value_or(QString()));
        if (id && id == selectedId) {
            card.title += copy.text(" · 選択中", " · Selected");
        }
        card.emphasised = true;
        card.ruleBefore = !optionCards.isEmpty();
        addFact(card.facts, copy.text("操作", "Action"), detailValue(action.value(u"kind"), copy));
        addFact(card.facts, copy.text("対象", "Target"), detailValue(action.value(u"scope"), copy));
        card.facets = detailAssessment(objectAt(option, u"assessment"), copy);
        addVerifyAndRollback(card.closingFacts, option, copy);
        optionCards.append(std::move(card));
    }
    addSection(sections, copy.text("選択肢", "Options"), std::move(optionCards));

    const QJsonObject recommendation = objectAt(plan, u"recommendation");
    QList<DetailCard> recommended;
    if (const std::optional<QString> optionId = stringAt(recommendation, u"optionId")) {
        for (const QJsonObject& option : options) {
            if (stringAt(option, u"id") == optionId) {
                if (std::optional<QString> summary = detailActionSummary(objectAt(option, u"action"))) {
                    recommended.append(textCard(*summary));
                }
                break;
            }
        }
    }
    if (const std::optional<QString> reason = text(recommendation, u"reason")) {
        recommended.append(textCard(*reason));
    }
    addSection(sections, copy.text("推奨", "Recommendation"), std::move(recommended));

    addTextSection(sections, copy.text("対応が必要", "Needs a decision"), text(escalation, u"cause"));
    addTextSection(sections, copy.text("残りの作業", "Remaining work"), text(plan, u"remainingWork"));
    std::optional<QString> question = text(escalation, u"userQuestion");
    addTextSection(sections, copy.text("確認事項", "Question"), question ? question : text(plan, u"userQuestion"));
    if (sections.isEmpty()) {
        addTextSection(sections, copy.text("計画", "Plan"),
                       copy.text("評価済みの計画はまだありません。", "No assessed plan yet."));
    }
    return sections;
}

QList<DetailSection> activityTab(const QJsonObject& run, const Copy& copy) {
    const QJsonObject decision = objectAt(run, u"decision");
    const QJsonObject escalation = objectAt(run, u"escalation");
    QList<DetailSection> sections;

    DetailCard current;
    current.title = detailActionSummary(objectAt(decision, u"action")).value_or(QString());
    addFact(current.facts, copy.text("判断", "Outcome"), text(decision, u"outcome"));
    addFact(current.facts, copy.text("理由", "Reason"), text(decision, u"reason"));
    addFact(current.facts, copy.text("方針", "Policy"), text(decision, u"policy"));
    addFact(current.facts, copy.text("時刻", "When"), text(decision, u"at"));
    current.facets = detailAssessment(objectAt(decision, u"assessment"), copy);
    addVerifyAndRollback(current.closingFacts, decision, copy);
    if (!isEmptyCard(current)) {
        sections.append({copy.text("現在の判断", "Current decision"), {current}});
    }

    addEntrySection(sections, copy.text("最近の判断", "Recent decisions"), arrayAt(run, u"decisionHistory"), copy);
    addTextSection(sections, copy.text("対応が必要", "Needs a decision"), text(escalation, u"cause"));
    addEntrySection(sections, copy.text("試したこと", "Tried"), arrayAt(escalation, u"tried"), copy);
    addEntrySection(sections, copy.text("結果", "Results"), arrayAt(escalation, u"results"), copy);
    if (sections.isEmpty()) {
        addTextSection(sections, copy.text("履歴", "Activity"),
                       copy.text("判断履歴はまだありません。", "No decisions recorded yet."));
    }
    return sections;
}

std::optional<QString> sourceWord(const std::optional<QString>& source, const Copy& copy) {
    if (source == u"user" || source == u"user_attestation") {
        return copy.text("ユーザーによる確認", "User attestation");
    }
    if (source == u"file_exists") {
        return copy.text("自動確認 · ファイルあり", "Automatic check · file found");
    }
    if (source == u"file_contains") {
        return copy.text("自動確認 · 内容一致", "Automatic check · content matched");
    }
    return std::nullopt;
}

// A digest is shown as it is: the rule that masks long opaque runs would otherwise hide every hash.
std::optional<QString> digest(const QJsonObject& result) {
    static const QRegularExpression shape(QStringLiteral("^[0-9A-Fa-f]{64}$"));
    const std::optional<QString> value = stringAt(result, u"sha256");
    if (value && shape.match(*value).hasMatch()) {
        return value;
    }
    return safeMessage(value, kShortTextLimit);
}

QList<DetailSection> evidenceTab(const QJsonObject& run, const Copy& copy) {
    const QJsonObject verification = objectAt(run, u"verification");
    const QJsonObject results = objectAt(verification, u"results");
    QList<DetailSection> sections;

    QList<DetailCard> status;
    if (stringAt(run, u"state") == u"reported_done") {
        status.append(textCard(copy.text("プロバイダーが完了を報告しました。独立した検証はまだありません。",
                                         "Provider reported completion. This is not independent verification.")));
    }
    if (const qint64 total = integerAt(verification, u"total"); total > 0) {
        const QString count = QString::number(integerAt(verification, u"verified")) + u'/' + QString::number(total);
        status.append(textCard(count + copy.text(" 件を検証済み", " criteria verified")));
    }
    addSection(sections, copy.text("検証の状態", "Verification status"), std::move(status));

    QList<DetailCard> criteria;
    for (const QJsonObject& criterion : objectsAt(run, u"acceptanceCriteria")) {
        const std::optional<QString> id = stringAt(criterion, u"id");
        DetailCard card;
        card.title = text(criterion, u"description").value_or(safeMessage(id, kShortTextLimit).value_or(QString()));
        const QJsonObject result = id ? objectAt(results, *id) : QJsonObject();
        const bool verified = boolAt(result, u"verified");
        card.facts.append({copy.text("状態", "Status"),
                           verified ? copy.text("検証済み", "Verified") : copy.text("未検証", "Unverified")});
        addFact(card.facts, copy.text("根拠", "Source"), sourceWord(stringAt(result, u"source"), copy));
        if (verified) {
            addFact(card.facts, copy.text("確認日時", "Checked"), text(result, u"checkedAt"));
        }
        std::optional<QString> file = text(result, u"exactPath");
        addFact(card.facts, copy.text("ファイル", "File"), file ? file : text(result, u"path"));
        addFact(card.facts, QStringLiteral("SHA-256"), digest(result));
        criteria.append(std::move(card));
    }
    if (criteria.isEmpty()) {
        criteria.append(textCard(copy.text("成功条件はまだありません。", "No acceptance criteria recorded yet.")));
    }
    addSection(sections, copy.text("成功条件", "Acceptance criteria"), std::move(criteria));
    return sections;
}

} // namespace

DeliveryDetailsTab deliveryDetailsTab(int index) {
    switch (index) {
    case 1:
        return DeliveryDetailsTab::activity;
    case 2:
        return DeliveryDetailsTab::evidence;
    default:
        return DeliveryDetailsTab::plan;
    }
}

QList<DetailSection> deliveryDetails(const QJsonObject& run, int tabIndex, const Copy& copy) {
    switch (deliveryDetailsTab(tabIndex)) {
    case DeliveryDetailsTab::activity:
        return activityTab(run, copy);
    case DeliveryDetailsTab::evidence:
        return evidenceTab(run, copy);
    case DeliveryDetailsTab::plan:
        break;
    }
    return planTab(run, copy);
}

std::optional<QString> detailValue(const QJsonValue& value, const Copy& copy) {
    if (value.isBool()) {
        return value.toBool() ? copy.text("はい", "Yes") : copy.text("いいえ", "No");
    }
    if (!value.isString()) {
        return std::nullopt;
    }
    const QString word = value.toString();
    for (const Word& known : kValueWords) {
        if (word == QLatin1String(known.value)) {
            return copy.text(known.japanese, known.english);
        }
    }
    std::optional<QString> shown = safeMessage(word, kShortTextLimit);
    if (shown) {
        shown->replace(QLatin1Char('_'), QLatin1Char(' '));
    }
    return shown;
}

QList<DetailFact> detailAssessment(const QJsonObject& assessment, const Copy& copy) {
    QList<DetailFact> facets;
    for (const Word& facet : kFacets) {
        addFact(facets, copy.text(facet.japanese, facet.english),
                detailValue(assessment.value(QLatin1String(facet.value)), copy));
    }
    return facets;
}

std::optional<QString> detailActionSummary(const QJsonObject& action) {
    if (std::optional<QString> summary = text(action, u"summary")) {
        return summary;
    }
    return text(action, u"scope");
}
