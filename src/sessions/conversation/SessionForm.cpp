#include "sessions/conversation/SessionForm.h"

#include "model/RecordIdentity.h"
#include "model/SnapshotReading.h"

#include <QRegularExpression>
#include <QTextBoundaryFinder>

#include <algorithm>

namespace {

// Whether `text` has at most `limit` user-perceived characters; stops counting past the limit.
bool withinGraphemes(const QString& text, int limit) {
    if (text.size() <= limit) {
        return true; // a character takes at least one code unit
    }
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() != -1) {
        if (++count > limit) {
            return false;
        }
    }
    return true;
}

template <std::size_t N> bool offered(const std::array<int, N>& choices, int value) {
    return std::find(choices.begin(), choices.end(), value) != choices.end();
}

} // namespace

std::optional<QString> sessionPolicyTitle(const QString& value, const Copy& copy) {
    for (const SessionPolicyChoice& choice : kSessionPolicies) {
        if (value == QLatin1String(choice.value)) {
            return copy.text(choice.japanese, choice.english);
        }
    }
    return std::nullopt;
}

QStringList sessionCriteriaLines(const QString& text) {
    // Every line break a text view can hold: LF, VT, FF, CR, NEL, LS and PS.
    static const QRegularExpression breaks(QStringLiteral("[\\n\\x{0B}\\f\\r\\x{85}\\x{2028}\\x{2029}]"));
    QStringList lines;
    for (const QString& line : text.split(breaks)) {
        if (const QString trimmed = line.trimmed(); !trimmed.isEmpty()) {
            lines.append(trimmed);
        }
    }
    return lines;
}

QJsonArray acceptanceCriteria(const QStringList& criteria) {
    QJsonArray array;
    for (qsizetype index = 0; index < criteria.size(); ++index) {
        array.append(QJsonObject{
            {QStringLiteral("id"), QStringLiteral("criterion_") + QString::number(index + 1)},
            {QStringLiteral("description"), criteria.at(index)},
            {QStringLiteral("check"), QJsonObject{{QStringLiteral("type"), QStringLiteral("manual")}}},
        });
    }
    return array;
}

SessionEnrolment sessionEnrolment(const QJsonObject& session, const SessionDraft& draft, const Copy& copy) {
    SessionEnrolment enrolment;
    const std::optional<QJsonObject> names = sessionCommandFields(session);
    if (!names || sessionTurnRunning(session) || !sessionPolicyTitle(draft.policy, copy) ||
        !offered(kSessionMinuteChoices, draft.minutes) || !offered(kSessionContinuationChoices, draft.continuations) ||
        !offered(kSessionFailureChoices, draft.failures) || !boolAt(objectAt(session, u"capabilities"), u"canEnroll")) {
        return enrolment;
    }
    const QString goal = draft.goal.trimmed();
    const QStringList criteria = sessionCriteriaLines(draft.criteria);
    const bool valid = !goal.isEmpty() && withinGraphemes(goal, kSessionGoalLimit) && !criteria.isEmpty() &&
                       criteria.size() <= kSessionCriteriaMaximum &&
                       std::all_of(criteria.begin(), criteria.end(), [](const QString& criterion) {
                           return withinGraphemes(criterion, kSessionCriterionLimit);
                       });
    if (!valid) {
        enrolment.outcome = SessionEnrolment::Outcome::refused;
        enrolment.message = copy.text("目標と成功条件を入力してください（条件は最大 20 件、各 500 文字）。",
                                      "Enter a goal and 1–20 acceptance criteria, each within 500 characters.");
        return enrolment;
    }
    enrolment.outcome = SessionEnrolment::Outcome::ready;
    enrolment.fields = *names;
    enrolment.fields.insert(QStringLiteral("autonomyPolicy"), draft.policy);
    enrolment.fields.insert(QStringLiteral("maxMinutes"), draft.minutes);
    enrolment.fields.insert(QStringLiteral("maxContinuations"), draft.continuations);
    enrolment.fields.insert(QStringLiteral("maxFailures"), draft.failures);
    enrolment.fields.insert(QStringLiteral("objective"), goal);
    enrolment.fields.insert(QStringLiteral("acceptanceCriteria"), acceptanceCriteria(criteria));
    return enrolment;
}

std::optional<QJsonObject> sessionAnalyzeFields(const QJsonObject& session) {
    // A retry must be allowed: the button offers nothing else while the manual form is closed.
    if (sessionTurnRunning(session) || !canRetrySessionAnalysis(session) ||
        sessionAnalysisAction(session) != QStringLiteral("session_analyze")) {
        return std::nullopt;
    }
    return sessionCommandFields(session);
}

QJsonObject previewAnalysisResult(const QJsonObject& session, const Copy& copy) {
    if (session.value(u"fixtureAnalysisResult").isObject()) {
        return objectAt(session, u"fixtureAnalysisResult");
    }
    return QJsonObject{
        {QStringLiteral("state"), QStringLiteral("continue")},
        {QStringLiteral("reason"),
         copy.text("サンプル会話に残りの作業があります。", "The sample conversation has remaining work.")},
        {QStringLiteral("remaining"), QJsonArray{copy.text("結果を確認", "Verify the result")}},
    };
}

SessionAlert previewEnrolmentAlert(const QJsonObject& fields, const Copy& copy) {
    const QString policy = stringAt(fields, u"autonomyPolicy").value_or(QString());
    return {copy.text("サンプル設定の確認", "Review sample setup"),
            stringAt(fields, u"objective").value_or(QString()) + QLatin1Char('\n') +
                copy.text("成功条件", "Acceptance criteria") + QStringLiteral(": ") +
                QString::number(arrayAt(fields, u"acceptanceCriteria").size()) + QStringLiteral(" · ") +
                sessionPolicyTitle(policy, copy).value_or(policy) + QStringLiteral("\n\n") +
                copy.text("プレビューのみ。会話は変更されません。", "Preview only. No session will be changed."),
            copy.text("閉じる", "Close")};
}

QString sessionFormMessage(SessionFormMessage message, const Copy& copy) {
    switch (message) {
    case SessionFormMessage::updating:
        return copy.text("会話の状態を更新中…", "Updating session supervision…");
    case SessionFormMessage::accepted:
        return copy.text("受け付けました。会話の状態を確認します。", "Accepted. Checking the session state.");
    case SessionFormMessage::failed:
        return copy.text("変更できませんでした。状態を更新して再試行してください。",
                         "Could not update this session. Refresh and try again.");
    case SessionFormMessage::autoContinueFailed:
        break;
    }
    return copy.text("自動継続の設定を変更できませんでした。再試行してください。",
                     "Could not change auto-continue. Please retry.");
}

PendingSessionAutoContinueTable reconcilePendingAutoContinue(const PendingSessionAutoContinueTable& pending,
                                                             const QList<QJsonObject>& records) {
    PendingSessionAutoContinueTable kept;
    for (auto entry = pending.cbegin(); entry != pending.cend(); ++entry) {
        const auto record = std::find_if(records.begin(), records.end(), [&entry](const QJsonObject& candidate) {
            return sessionIdentity(candidate) == entry.key();
        });
        if (entry->accepted && record != records.end() && boolAt(*record, u"autoContinue") == entry->desired) {
            continue; // the host shows what was asked for
        }
        kept.insert(entry.key(), entry.value());
    }
    return kept;
}

AutoContinueToggle autoContinueToggle(const std::optional<QJsonObject>& record, bool reachable, bool pending) {
    AutoContinueToggle toggle;
    if (!record || !canSetAutoContinue(*record) || !reachable) {
        toggle.outcome = AutoContinueToggle::Outcome::redraw;
        return toggle;
    }
    const std::optional<QString> provider = stringAt(*record, u"provider");
    const std::optional<QString> session = stringAt(*record, u"session");
    if (pending || !provider || !session) {
        return toggle;
    }
    toggle.outcome = AutoContinueToggle::Outcome::send;
    toggle.desired = !boolAt(*record, u"autoContinue");
    toggle.fields = QJsonObject{{QStringLiteral("provider"), *provider},
                                {QStringLiteral("session"), *session},
                                {QStringLiteral("enabled"), toggle.desired}};
    return toggle;
}
