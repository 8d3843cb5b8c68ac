#include "sessions/understanding/Understanding.h"

#include "model/SnapshotReading.h"
#include "model/TextSafety.h"
#include "tasks/TaskStates.h"

#include <QTextBoundaryFinder>

namespace {

// The items of an array of strings, masked and cut; an array holding anything else counts as empty.
QStringList cleanItems(const QJsonObject& record, QStringView key) {
    QStringList items;
    const QJsonArray array = arrayAt(record, key);
    for (const QJsonValue& value : array) {
        if (!value.isString()) {
            return {};
        }
    }
    for (const QJsonValue& value : array) {
        if (items.size() == kUnderstandingItemLimit) {
            break;
        }
        if (std::optional<QString> item = safeMessage(value.toString(), kShortTextLimit)) {
            items.append(*item);
        }
    }
    return items;
}

QList<UnderstandingSource> sourcesOf(const QJsonObject& understanding, const Copy& copy) {
    const QJsonArray basis = arrayAt(understanding, u"basis");
    for (const QJsonValue& element : basis) {
        if (!element.isObject()) {
            return {};
        }
    }
    QList<UnderstandingSource> sources;
    // The first three elements only: one with an empty snippet is skipped, not replaced by the fourth.
    for (qsizetype index = 0; index < std::min<qsizetype>(3, basis.size()); ++index) {
        const QJsonObject element = basis.at(index).toObject();
        const std::optional<QString> snippet = safeMessage(stringAt(element, u"snippet"), kShortTextLimit);
        if (!snippet) {
            continue;
        }
        const QString kind =
            stringAt(element, u"source").value_or(stringAt(element, u"role").value_or(QStringLiteral("context")));
        sources.append({understandingSourceLabel(kind, copy), *snippet});
    }
    return sources;
}

bool longerThan(const QString& text, int limit) {
    if (text.size() <= limit) {
        return false; // a user-perceived character is at least one code unit
    }
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() != -1) {
        if (++count > limit) {
            return true;
        }
    }
    return false;
}

} // namespace

std::optional<QString> understandingObjective(const QJsonObject& run, const QJsonObject& session) {
    if (std::optional<QString> objective =
            safeMessage(stringAt(objectAt(run, u"sessionUnderstanding"), u"objective"), kLongTextLimit)) {
        return objective;
    }
    if (std::optional<QString> objective =
            safeMessage(stringAt(objectAt(session, u"providerGoal"), u"objective"), kLongTextLimit)) {
        return objective;
    }
    return safeMessage(stringAt(run, u"objective"), kLongTextLimit);
}

bool understandingVisible(const QJsonObject& run, const QJsonObject& session) {
    return !objectAt(run, u"sessionUnderstanding").isEmpty() || stringAt(run, u"phase") == u"needs_clarification" ||
           understandingObjective(run, session).has_value();
}

QString understandingSourceLabel(const QString& kind, const Copy& copy) {
    if (kind == u"goal" || kind == u"provider_goal") {
        return copy.text("元の目標", "Original goal");
    }
    if (kind == u"user" || kind == u"user_request") {
        return copy.text("あなたの依頼", "Your request");
    }
    if (kind == u"test" || kind == u"test_result" || kind == u"tool") {
        return copy.text("直近のテスト結果", "Recent test result");
    }
    // A host word shown as a label: masked and cut like any host text.
    return derivedStateName(safeMessage(kind, kShortTextLimit).value_or(QString()));
}

QString answerQuestionIdentity(const QJsonObject& run) {
    return stringAt(run, u"taskId").value_or(QString()) + u'|' +
           stringAt(objectAt(run, u"understandingQuestion"), u"id").value_or(QString());
}

UnderstandingPresentation understandingPresentation(const QJsonObject& run, const QJsonObject& session,
                                                    bool fixtureMode, bool connected, const Copy& copy) {
    UnderstandingPresentation p;
    p.visible = understandingVisible(run, session);
    if (!p.visible) {
        return p;
    }
    const std::optional<QString> phase = stringAt(run, u"phase");
    const QJsonObject understanding = objectAt(run, u"sessionUnderstanding");
    const QJsonObject question = objectAt(run, u"understandingQuestion");
    p.heading = phase == u"understanding" ? copy.text("会話を理解しています", "Understanding this conversation")
                                          : copy.text("目指していること", "Working toward");
    p.goal = understandingObjective(run, session).value_or(QString());
    p.sources = sourcesOf(understanding, copy);
    p.done = cleanItems(understanding, u"done");
    p.remaining = cleanItems(understanding, u"remaining");
    p.progressItems = p.done.mid(0, 2);
    p.next =
        safeMessage(stringAt(objectAt(understanding, u"nextAction"), u"summary"), kShortTextLimit).value_or(QString());
    p.progressGroupVisible = !p.done.isEmpty() || !p.next.isEmpty();
    p.workGridVisible = !p.done.isEmpty() || !p.remaining.isEmpty();
    std::optional<QString> text = safeMessage(stringAt(question, u"text"), kShortTextLimit);
    if (!text) {
        text = safeMessage(stringAt(understanding, u"question"), kShortTextLimit);
    }
    p.question = text.value_or(QString());
    const bool clarifying = phase == u"needs_clarification";
    p.questionVisible = clarifying && !p.question.isEmpty();
    p.answerIdentity = answerQuestionIdentity(run);
    p.answerRowVisible =
        clarifying && !stringAt(question, u"id").value_or(QString()).isEmpty() && boolAt(run, u"canAnswer");
    p.answerEnabled = !fixtureMode && connected && p.answerRowVisible;
    return p;
}

SessionAnswer sessionAnswer(const QJsonObject& run, const QString& typed, bool fixtureMode, bool connected,
                            const Copy& copy) {
    SessionAnswer result;
    if (fixtureMode || !connected || !boolAt(run, u"canAnswer")) {
        return result;
    }
    const QString provider = stringAt(run, u"provider").value_or(QString());
    const QString session = stringAt(run, u"session").value_or(QString());
    const QString taskId = stringAt(run, u"taskId").value_or(QString());
    const QString questionId = stringAt(objectAt(run, u"understandingQuestion"), u"id").value_or(QString());
    if (provider.isEmpty() || session.isEmpty() || taskId.isEmpty() || questionId.isEmpty()) {
        return result;
    }
    const QString answer = typed.trimmed();
    if (answer.isEmpty() || longerThan(answer, kAnswerLimit)) {
        result.outcome = SessionAnswer::Outcome::refused;
        result.message = copy.text("質問への回答を入力してください。", "Answer this question before continuing.");
        return result;
    }
    result.outcome = SessionAnswer::Outcome::send;
    result.fields = {{QStringLiteral("provider"), provider},
                     {QStringLiteral("session"), session},
                     {QStringLiteral("taskId"), taskId},
                     {QStringLiteral("questionId"), questionId},
                     {QStringLiteral("answer"), answer}};
    return result;
}

QString sessionAnswerSendingText(const Copy& copy) {
    return copy.text("回答を送信中…", "Sending answer…");
}

QString sessionAnswerResultText(bool ok, const std::optional<QString>& message, const Copy& copy) {
    if (ok) {
        return copy.text("回答を受け付けました。会話の状態を更新します。",
                         "Answer accepted. Refreshing the conversation state.");
    }
    return message.value_or(copy.text("回答を送信できませんでした。状態を更新してください。",
                                      "Could not send the answer. Refresh status and try again."));
}
