#include "sessions/conversation/SessionAnalysis.h"

#include "model/SnapshotReading.h"
#include "model/TextSafety.h"
#include "sessions/conversation/SessionPresentation.h"
#include "sessions/records/SessionRecords.h"

#include <QJsonArray>

namespace {

std::optional<QString> shortText(const QJsonObject& record, QStringView key) {
    return safeMessage(stringAt(record, key), kShortTextLimit);
}

std::optional<QString> longText(const QJsonObject& record, QStringView key) {
    return safeMessage(stringAt(record, key), kLongTextLimit);
}

template <typename... Rest> std::optional<QString> firstOf(std::optional<QString> first, Rest... rest) {
    if constexpr (sizeof...(rest) == 0) {
        return first;
    } else {
        return first ? first : firstOf(rest...);
    }
}

// The string items of a list, each masked and cut; blank ones dropped.
QStringList maskedItems(const QJsonObject& record, QStringView key) {
    QStringList items;
    for (const QJsonValue& value : arrayAt(record, key)) {
        if (std::optional<QString> item =
                safeMessage(value.isString() ? std::optional(value.toString()) : std::nullopt, kShortTextLimit)) {
            items.append(*item);
        }
    }
    return items;
}

// The analysis the details describe: the previous finished turn's when there is one.
QJsonObject sourceAnalysis(const QJsonObject& session) {
    const QJsonObject analysis = objectAt(session, u"analysis");
    return analysis.value(u"previousAnalysis").isObject() ? objectAt(analysis, u"previousAnalysis") : analysis;
}

// "basis" as a list of objects; absent when it is not an array or holds anything else.
std::optional<QList<QJsonObject>> basisItems(const QJsonObject& record) {
    if (!record.value(u"basis").isArray()) {
        return std::nullopt;
    }
    QList<QJsonObject> items;
    for (const QJsonValue& value : arrayAt(record, u"basis")) {
        if (!value.isObject()) {
            return std::nullopt;
        }
        items.append(value.toObject());
    }
    return items;
}

QString basisKind(const QJsonObject& item) {
    return stringAt(item, u"role").value_or(stringAt(item, u"source").value_or(QStringLiteral("context")));
}

bool isGoalKind(const QString& kind) {
    return kind == u"goal" || kind == u"provider_goal";
}

QString quoted(const QString& label, const QString& snippet) {
    return label + QStringLiteral(": “") + snippet + QStringLiteral("”");
}

// The heading and intro the analysis itself gives, before auto-continue has its say.
SessionAnalysisHeading analysisHeading(const QJsonObject& session, bool running, const QString& state,
                                       const Copy& copy) {
    const bool autoContinue = boolAt(session, u"autoContinue");
    const QJsonObject analysis = objectAt(session, u"analysis");
    if (running) {
        return {copy.text("実行中", "Running"), copy.text("このターンが終わったら残りの作業を確認します。",
                                                          "We’ll check what remains when this turn finishes.")};
    }
    if (state == u"unanalysed" || state == u"queued" || state == u"analyzing") {
        return autoContinue
                   ? SessionAnalysisHeading{copy.text("残りの作業を確認中…", "Checking what remains…"),
                                            copy.text("会話の目標と直近の結果を確認しています。",
                                                      "Checking the goal and latest result.")}
                   : SessionAnalysisHeading{copy.text("自動継続を任せる", "Let VODU follow up"),
                                            copy.text("オンにすると、残りの作業を元の会話で続けます。",
                                                      "Turn on to continue unfinished work in this conversation.")};
    }
    if (state == u"continue") {
        return {autoContinue ? copy.text("続きを進めます", "Following up")
                             : copy.text("残りの作業あり", "Work remains"),
                firstOf(shortText(analysis, u"nextAction"), shortText(analysis, u"reason"))
                    .value_or(copy.text("残りの作業を確認しました。", "Unfinished work was found."))};
    }
    if (state == u"no_action") {
        return {copy.text("続ける作業はありません", "Nothing left to continue"),
                copy.text("この会話の作業は完了しています。", "This conversation’s work is complete.")};
    }
    if (state == u"needs_user") {
        return {copy.text("あなたの判断が必要です", "Your decision needed"),
                shortText(analysis, u"reason")
                    .value_or(copy.text("元の会話で確認してください。", "Review this in the original conversation."))};
    }
    if (state == u"waiting") {
        return {
            copy.text("待機中", "Waiting"),
            shortText(analysis, u"reason")
                .value_or(copy.text("待機条件が変わるまで待ちます。", "Waiting for the pending condition to change."))};
    }
    return {copy.text("このターンを確認できませんでした", "Couldn’t check this turn"),
            copy.text("残りの作業を確認できませんでした。再試行できます。",
                      "Could not establish what remains. You can retry.")};
}

} // namespace

SessionAnalysisHeading sessionAnalysisHeading(const QJsonObject& session, const Copy& copy) {
    const bool running = sessionTurnRunning(session);
    const QString state = sessionAnalysisState(session);
    if (std::optional<AutoContinuePresentation> presentation = autoContinuePresentation(session, copy)) {
        return {presentation->title, presentation->reason};
    }
    if (!running && !canSetAutoContinue(session) && state != u"no_action") {
        const bool claude = stringAt(session, u"provider") == QStringLiteral("claude");
        return {claude ? copy.text("Claude で続ける", "Continue in Claude Code")
                       : copy.text("自動継続は利用できません", "Auto-continue unavailable"),
                shortText(session, u"autoContinueReason")
                    .value_or(copy.text("元の会話を開いて確認してください。",
                                        "Open the original conversation to review it."))};
    }
    return analysisHeading(session, running, state, copy);
}

QList<SessionDetailEntry> sessionAnalysisDetails(const QJsonObject& session, const Copy& copy, const QLocale& locale) {
    const QJsonObject analysis = objectAt(session, u"analysis");
    const QJsonObject source = sourceAnalysis(session);
    const QJsonObject providerGoal = objectAt(session, u"providerGoal");
    QList<SessionDetailEntry> entries;
    const auto add = [&entries](const QString& text, bool goal = false) {
        entries.append({text, goal});
    };

    const QString state = stringAt(analysis, u"state").value_or(QStringLiteral("unanalysed"));
    if (analysis.value(u"previousAnalysis").isObject() ||
        (sessionTurnRunning(session) && state != u"queued" && state != u"analyzing" && state != u"unanalysed")) {
        add(copy.text("前の終了済みターンの分析", "Last finished turn"));
        if (std::optional<QString> reason = shortText(source, u"reason")) {
            add(*reason);
        }
    }
    const std::optional<QString> objective =
        firstOf(longText(source, u"objective"), longText(providerGoal, u"objective"));
    if (objective) {
        add(copy.text("目標", "Goal"));
        add(*objective, true);
    }
    if (providerGoal.value(u"status").isString()) {
        // The meta line always names the original goal, so it never falls back to the bare status word.
        add(providerGoalPresentation(session, copy, locale).meta);
    }
    if (const QStringList remaining = maskedItems(source, u"remaining"); !remaining.isEmpty()) {
        add(copy.text("残りの作業", "Still to do"));
        for (const QString& item : remaining.mid(0, 6)) {
            add(QStringLiteral("•  ") + item);
        }
    }
    if (std::optional<QString> next = shortText(source, u"nextAction")) {
        add(copy.text("次に進めること", "Next up"));
        add(*next);
    }
    for (const QJsonObject& item : basisItems(source).value_or(QList<QJsonObject>()).mid(0, 3)) {
        const std::optional<QString> snippet = shortText(item, u"snippet");
        const QString kind = basisKind(item);
        if (!snippet || (isGoalKind(kind) && objective && longText(item, u"snippet") == objective)) {
            continue;
        }
        const QString label = kind == u"user"    ? copy.text("あなたの依頼", "Your request")
                              : isGoalKind(kind) ? copy.text("元の目標", "Original goal")
                                                 : copy.text("会話の結果", "Conversation result");
        add(quoted(label, *snippet));
    }
    return entries;
}

QString sessionOpenTitle(const QJsonObject& session, const Copy& copy) {
    return stringAt(session, u"provider") == QStringLiteral("claude") ? copy.text("Claude で開く", "Open in Claude")
                                                                      : copy.text("Codex で開く", "Open in Codex");
}

bool sessionAnalysisOpenVisible(const QJsonObject& session, bool fixtureMode) {
    const std::optional<QString> status = stringAt(session, u"autoContinueStatus");
    const QString state = sessionAnalysisState(session);
    const bool userActs = status == QStringLiteral("needs_user") || status == QStringLiteral("unavailable") ||
                          state == u"needs_user" || (!canSetAutoContinue(session) && state != u"no_action");
    if (!userActs) {
        return false;
    }
    const std::optional<QString> kind = stringAt(objectAt(session, u"originalSessionTarget"), u"kind");
    return fixtureMode || kind == QStringLiteral("url") || kind == QStringLiteral("manual");
}

SessionAnalysisPresentation sessionAnalysisPresentation(const QJsonObject& session, bool evidenceOpen, bool fixtureMode,
                                                        const Copy& copy, const QLocale& locale) {
    const SessionAnalysisHeading heading = sessionAnalysisHeading(session, copy);
    SessionAnalysisPresentation area;
    area.heading = heading.heading;
    area.intro = heading.intro;
    area.details = sessionAnalysisDetails(session, copy, locale);
    area.detailsToggleVisible = !area.details.isEmpty();
    area.detailsVisible = evidenceOpen && !area.details.isEmpty();
    area.openTitle = sessionOpenTitle(session, copy);
    area.openVisible = sessionAnalysisOpenVisible(session, fixtureMode);
    return area;
}

QList<CompactDetailSection> compactSessionDetails(const QJsonObject& session, const QJsonObject& run, const Copy& copy,
                                                  const QLocale& locale) {
    const QJsonObject source = sourceAnalysis(session);
    const QJsonObject understanding = objectAt(run, u"sessionUnderstanding");
    const QJsonObject providerGoal = objectAt(session, u"providerGoal");
    QList<CompactDetailSection> sections;

    const std::optional<QString> objective =
        firstOf(longText(source, u"objective"), longText(understanding, u"objective"),
                longText(providerGoal, u"objective"), longText(run, u"objective"));
    if (objective) {
        sections.append({CompactSectionKind::goal, copy.text("目標", "Goal"), {*objective}});
    }
    if (const QString meta = providerGoalPresentation(session, copy, locale).meta;
        !providerGoal.isEmpty() && !meta.isEmpty()) {
        sections.append({CompactSectionKind::goalStatus, copy.text("目標の状態", "Goal status"), {meta}});
    }
    QStringList done = maskedItems(understanding, u"done");
    if (done.isEmpty()) {
        if (std::optional<QString> reason = shortText(source, u"reason")) {
            done.append(*reason);
        }
    }
    if (!done.isEmpty()) {
        sections.append(
            {CompactSectionKind::lastTurn, copy.text("前の終了済みターン", "Last finished turn"), done.mid(0, 4)});
    }
    if (std::optional<QString> next =
            firstOf(shortText(source, u"nextAction"), shortText(objectAt(understanding, u"nextAction"), u"summary"),
                    shortText(run, u"nextStep"))) {
        sections.append({CompactSectionKind::nextStep, copy.text("次の手順", "Next step"), {*next}});
    }
    const QList<QJsonObject> basis =
        basisItems(source).value_or(basisItems(understanding).value_or(QList<QJsonObject>()));
    QStringList context;
    for (const QJsonObject& item : basis.mid(0, 3)) {
        const std::optional<QString> snippet = shortText(item, u"snippet");
        const QString kind = basisKind(item);
        if (!snippet || (isGoalKind(kind) && snippet == objective)) {
            continue;
        }
        const QString label = isGoalKind(kind) ? copy.text("元の目標", "Original goal")
                              : kind == u"user" || kind == u"user_request"
                                  ? copy.text("あなたの依頼", "Your request")
                                  : copy.text("会話の結果", "Conversation result");
        context.append(quoted(label, *snippet));
    }
    if (!context.isEmpty()) {
        sections.append({CompactSectionKind::context, copy.text("会話の根拠", "Conversation context"), context});
    }
    sections.append({CompactSectionKind::original,
                     copy.text("元の会話", "Original conversation"),
                     {sessionOpenTitle(session, copy)}});
    return sections;
}
