#include "sessions/records/SessionRecords.h"

#include "model/SnapshotReading.h"
#include "model/TextSafety.h"

namespace {

bool isOneOf(const QString& value, std::initializer_list<const char16_t*> words) {
    for (const char16_t* word : words) {
        if (value == QStringView(word)) {
            return true;
        }
    }
    return false;
}

bool isKnownAnalysisState(const QString& state) {
    return isOneOf(state, {u"unanalysed", u"queued", u"analyzing", u"continue", u"no_action", u"needs_user", u"waiting",
                           u"uncertain", u"failed"});
}

bool analysisPending(const QString& state) {
    return isOneOf(state, {u"unanalysed", u"queued", u"analyzing"});
}

// Upper-cases the first letter of every word and lower-cases the rest, a whole code point at a time.
QString capitalised(const QString& text) {
    QString result;
    result.reserve(text.size());
    bool wordStart = true;
    for (qsizetype index = 0; index < text.size(); ++index) {
        const qsizetype length = text.at(index).isHighSurrogate() && index + 1 < text.size() ? 2 : 1;
        const QString character = text.mid(index, length);
        index += length - 1;
        const char32_t codePoint = character.toUcs4().value(0);
        if (!QChar::isLetterOrNumber(codePoint)) {
            result += character;
            wordStart = true;
            continue;
        }
        result += wordStart ? character.toUpper() : character.toLower();
        wordStart = false;
    }
    return result;
}

// Line breaks, tabs and other control characters become spaces: a title is shown on one line.
QString oneLine(QString text) {
    for (QChar& character : text) {
        const QChar::Category category = character.category();
        if (category == QChar::Other_Control || category == QChar::Separator_Line ||
            category == QChar::Separator_Paragraph) {
            character = QLatin1Char(' ');
        }
    }
    return text;
}

} // namespace

QString bindingMode(const QJsonObject& session) {
    return stringAt(objectAt(session, u"binding"), u"mode").value_or(QStringLiteral("unmanaged"));
}

bool sessionTurnRunning(const QJsonObject& session) {
    return boolAt(session, u"isRunning") || boolAt(objectAt(session, u"analysis"), u"awaitingTurn");
}

QString sessionAnalysisState(const QJsonObject& session) {
    if (sessionTurnRunning(session)) {
        return QStringLiteral("waiting");
    }
    const std::optional<QString> state = stringAt(objectAt(session, u"analysis"), u"state");
    if (!state) {
        return QStringLiteral("unanalysed");
    }
    return isKnownAnalysisState(*state) ? *state : QStringLiteral("uncertain");
}

std::optional<AutoContinuePresentation> autoContinuePresentation(const QJsonObject& session, const Copy& copy) {
    if (!boolAt(session, u"autoContinue") || sessionTurnRunning(session)) {
        return std::nullopt;
    }
    const QString status = stringAt(session, u"autoContinueStatus").value_or(QString());
    AutoContinuePresentation presentation;
    if (status == u"finished") {
        presentation = {copy.text("完了", "Finished"), copy.text("続ける作業はありません", "Nothing left to continue"),
                        copy.text("この会話の作業は完了しています。", "This conversation’s work is complete.")};
    } else if (status == u"limit") {
        presentation = {copy.text("上限に到達", "Limit reached"),
                        copy.text("自動継続の上限に到達しました", "Continuation limit reached"),
                        copy.text("この会話の自動継続は停止しました。",
                                  "Automatic continuation has stopped for this conversation.")};
    } else if (status == u"needs_user") {
        presentation = {copy.text("判断が必要", "Needs you"),
                        copy.text("あなたの判断が必要です", "Your decision needed"),
                        copy.text("元の会話で確認してください。", "Review this in the original conversation.")};
    } else if (status == u"unavailable") {
        presentation = {
            copy.text("利用不可", "Unavailable"), copy.text("自動継続は利用できません", "Auto-continue unavailable"),
            copy.text("元の会話を開いて確認してください。", "Open the original conversation to review it.")};
    } else if (status == u"error") {
        presentation = {copy.text("確認できませんでした", "Check failed"),
                        copy.text("このターンを確認できませんでした", "Couldn’t check this turn"),
                        copy.text("残りの作業を確認できませんでした。再試行できます。",
                                  "Could not establish what remains. You can retry.")};
    } else if (status == u"supervising") {
        presentation = {copy.text("継続中", "Following up"), copy.text("続きを進めます", "Following up"),
                        copy.text("現在の予算内で続きを進めます。", "Continuing within the existing task budget.")};
    } else if (status == u"waiting") {
        presentation = {copy.text("待機中", "Waiting"), copy.text("待機中", "Waiting"),
                        copy.text("元のターンの終了を待っています。", "Waiting for the original turn to finish.")};
    } else if (status == u"watching" && analysisPending(sessionAnalysisState(session))) {
        presentation = {copy.text("確認中…", "Checking…"), copy.text("残りの作業を確認中…", "Checking what remains…"),
                        copy.text("直近の終了済みターンを確認しています。", "Reviewing the latest finished turn.")};
    } else {
        return std::nullopt;
    }
    if (std::optional<QString> reason = safeMessage(stringAt(session, u"autoContinueReason"), kShortTextLimit)) {
        presentation.reason = *reason;
    }
    return presentation;
}

QString sessionAnalysisLabel(const QJsonObject& session, const Copy& copy) {
    if (sessionTurnRunning(session)) {
        return copy.text("実行中", "Running");
    }
    if (std::optional<AutoContinuePresentation> presentation = autoContinuePresentation(session, copy)) {
        return presentation->status;
    }
    const QString state = sessionAnalysisState(session);
    if (state == u"queued") {
        return copy.text("分析待ち", "Queued for analysis");
    }
    if (state == u"analyzing") {
        return copy.text("分析中…", "Analyzing…");
    }
    if (state == u"continue") {
        return copy.text("残りの作業あり", "Work remains");
    }
    if (state == u"no_action") {
        return copy.text("完了", "Complete");
    }
    if (state == u"needs_user") {
        return copy.text("判断が必要", "Your decision needed");
    }
    if (state == u"waiting") {
        return copy.text("待機中", "Waiting");
    }
    if (state == u"uncertain") {
        return copy.text("再確認が必要", "Needs another check");
    }
    if (state == u"failed") {
        return copy.text("分析できませんでした", "Analysis unavailable");
    }
    return copy.text("未分析", "Not analyzed");
}

bool canRetrySessionAnalysis(const QJsonObject& session) {
    if (sessionTurnRunning(session)) {
        return false;
    }
    const std::optional<QString> status = stringAt(session, u"autoContinueStatus");
    if (status == QStringLiteral("limit")) {
        return false;
    }
    const QString state = sessionAnalysisState(session);
    return state == u"uncertain" || state == u"failed" || status == QStringLiteral("error");
}

std::optional<QString> sessionAnalysisAction(const QJsonObject& session) {
    const bool canAnalyze = boolAt(objectAt(session, u"capabilities"), u"canAnalyze");
    const QString state = sessionAnalysisState(session);
    const bool offered =
        canRetrySessionAnalysis(session) || state == u"unanalysed" || state == u"uncertain" || state == u"failed";
    if (offered && canAnalyze) {
        return QStringLiteral("session_analyze");
    }
    return std::nullopt;
}

bool canSetAutoContinue(const QJsonObject& session) {
    if (boolAt(session, u"autoContinue")) {
        return true;
    }
    const QJsonObject capabilities = objectAt(session, u"capabilities");
    for (QStringView key : {u"canAutoContinue", u"canContinue"}) {
        if (capabilities.value(key).isBool()) {
            return capabilities.value(key).toBool();
        }
    }
    return false;
}

bool sessionNeedsUser(const QJsonObject& session) {
    return sessionAnalysisState(session) == u"needs_user" ||
           stringAt(session, u"autoContinueStatus") == QStringLiteral("needs_user");
}

std::optional<QString> approvedHandoffStatus(const QJsonObject& run, const Copy& copy) {
    if (!hasApprovedManualCodexAction(run)) {
        return std::nullopt;
    }
    const QString state = stateAt(run);
    if (state == u"recovery_required") {
        return copy.text("引き継ぎが必要", "Handoff needed");
    }
    if (state == u"active") {
        return copy.text("結果待ち", "Awaiting result");
    }
    return std::nullopt;
}

namespace {

// "provider" and "session" as one key that tells a missing value from an empty one.
QString conversationKey(const QJsonObject& record) {
    QString key;
    for (const char16_t* name : {u"provider", u"session"}) {
        const std::optional<QString> value = stringAt(record, name);
        key += value ? QString::number(value->size()) + u':' + *value : QStringLiteral("-");
        key += u'|';
    }
    return key;
}

} // namespace

std::optional<QJsonObject> matchingSessionRun(const QJsonObject& session, const QList<QJsonObject>& runs) {
    const QString key = conversationKey(session);
    for (const QJsonObject& run : runs) {
        if (conversationKey(run) == key) {
            return run;
        }
    }
    return std::nullopt;
}

qsizetype runSessionIndex(const QList<QJsonObject>& sessions, const QJsonObject& run) {
    const QString key = conversationKey(run);
    for (qsizetype index = 0; index < sessions.size(); ++index) {
        if (conversationKey(sessions.at(index)) == key) {
            return index;
        }
    }
    return -1;
}

std::optional<QJsonObject> presentedSessionRun(const QJsonObject& session, const QList<QJsonObject>& runs) {
    const QString mode = bindingMode(session);
    if (mode != u"managed" && mode != u"pending_takeover") {
        return std::nullopt;
    }
    return matchingSessionRun(session, runs);
}

SessionRunIndex::SessionRunIndex(const QList<QJsonObject>& runs) : m_runs(runs) {
    m_first.reserve(runs.size());
    for (qsizetype index = 0; index < runs.size(); ++index) {
        const QString key = conversationKey(runs.at(index));
        if (!m_first.contains(key)) {
            m_first.insert(key, index);
        }
    }
}

std::optional<QJsonObject> SessionRunIndex::find(const QJsonObject& session) const {
    const auto found = m_first.constFind(conversationKey(session));
    if (found == m_first.constEnd()) {
        return std::nullopt;
    }
    return m_runs.at(found.value());
}

QString providerDisplayName(const QJsonObject& record) {
    const std::optional<QString> provider = stringAt(record, u"provider");
    if (provider == QStringLiteral("claude")) {
        return QStringLiteral("Claude Code");
    }
    // Masked before capitalising: the address pattern is case-sensitive and would miss "Https://".
    return capitalised(safeMessage(provider, kShortTextLimit).value_or(QString()));
}

QString sessionDisplayTitle(const QJsonObject& session) {
    const std::optional<QString> raw = stringAt(session, u"title");
    if (std::optional<QString> title =
            safeMessage(raw ? std::optional(oneLine(*raw)) : std::nullopt, kShortTextLimit)) {
        return *title;
    }
    const QString id = firstGraphemes(stringAt(session, u"session").value_or(QString()), 8);
    return providerDisplayName(session) + QStringLiteral(" · ") + safeMessage(id, 8).value_or(QString());
}

std::optional<QJsonObject> sessionCommandFields(const QJsonObject& session) {
    const QString provider = stringAt(session, u"provider").value_or(QString());
    const QString id = stringAt(session, u"session").value_or(QString());
    if (provider.isEmpty() || id.isEmpty()) {
        return std::nullopt;
    }
    return QJsonObject{{QStringLiteral("provider"), provider}, {QStringLiteral("session"), id}};
}
