#include "sessions/conversation/SessionPresentation.h"

#include "model/SnapshotReading.h"
#include "model/TextSafety.h"
#include "model/Timestamps.h"
#include "sessions/records/SessionRecords.h"

#include <QTimeZone>

#include <cmath>

namespace {

// The last component of a path ("/a/b/" gives "b"; "/" stays "/").
QString lastPathComponent(const QString& path) {
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(QLatin1Char('/'))) {
        trimmed.chop(1);
    }
    if (trimmed == u"/") {
        return trimmed;
    }
    return trimmed.mid(trimmed.lastIndexOf(QLatin1Char('/')) + 1);
}

// " · " and the folder the conversation works in; empty without one.
QString cwdLabel(const QJsonObject& session) {
    const std::optional<QString> folder =
        safeMessage(lastPathComponent(stringAt(session, u"cwd").value_or(QString())), kShortTextLimit);
    return folder ? QStringLiteral(" · ") + *folder : QString();
}

// The latest moment a date-time can show; larger numbers of seconds would overflow the conversion.
constexpr double kLastSecond = 253402300799.0; // 9999-12-31T23:59:59Z

} // namespace

SessionEmptyState sessionEmptyState(const QString& discoveryMessage, const Copy& copy) {
    return {copy.text("会話", "Sessions"), copy.text("会話を選択", "Select a session"),
            copy.text("会話なし", "No sessions"),
            discoveryMessage.isEmpty()
                ? copy.text("既存の会話が見つかりません。プロバイダーの設定と会話の検出状態を確認してください。",
                            "No existing sessions were found. Check provider setup and discovery status.")
                : discoveryMessage};
}

SessionPanePresentation sessionPanePresentation(const QJsonObject& session, const QList<QJsonObject>& runs,
                                                const Copy& copy) {
    const QString mode = bindingMode(session);
    const std::optional<QString> reason = safeMessage(stringAt(session, u"reason"), kShortTextLimit);
    const QString checkingTakeover = copy.text("元の会話の利用状況を確認しています。",
                                               "Checking when the original session can be safely taken over.");
    SessionPanePresentation pane;
    if (mode == u"managed" || mode == u"pending_takeover") {
        if (std::optional<QJsonObject> run = matchingSessionRun(session, runs)) {
            pane.kind = SessionPaneKind::run;
            pane.run = std::move(run);
            pane.headlineLines = 3;
            if (mode == u"pending_takeover" && !sessionTurnRunning(session)) {
                pane.takeover = true;
                pane.headline = copy.text("会話の引き継ぎを待機中", "Waiting to take over this session");
                pane.badge = copy.text("引き継ぎ待ち", "Pending takeover");
                pane.attention = reason.value_or(checkingTakeover);
                pane.next = copy.text("元の会話が使用中の間、別の書き込みは開始しません。",
                                      "No second writer will start while the original session is busy.");
            }
            return pane;
        }
    }
    const QString goal = copy.text("会話: ", "Session: ") + sessionDisplayTitle(session) + cwdLabel(session);
    if (mode == u"pending_takeover") {
        pane.kind = SessionPaneKind::placeholder;
        pane.headline = copy.text("会話の引き継ぎを待機中", "Waiting to take over this session");
        pane.badge = copy.text("引き継ぎ待ち", "Pending takeover");
        pane.goal = goal;
        pane.attention = reason.value_or(checkingTakeover);
        pane.next =
            copy.text("同時に別の書き込みは開始しません。", "No second writer will start while the session is busy.");
    } else if (mode == u"managed" || mode == u"standard_loop") {
        pane.kind = SessionPaneKind::placeholder;
        pane.headline = copy.text("会話の状態を確認中", "Checking session state");
        pane.badge = copy.text("状態を取得中", "Loading state");
        pane.goal = goal;
        pane.attention = reason.value_or(QString());
    }
    return pane;
}

SessionConversationPresentation sessionConversationPresentation(const QJsonObject& session, bool manualOpen,
                                                                bool reachable, const Copy& copy) {
    const bool running = sessionTurnRunning(session);
    const QJsonObject capabilities = objectAt(session, u"capabilities");
    const bool canEnroll = boolAt(capabilities, u"canEnroll");
    const bool retry = canRetrySessionAnalysis(session);
    SessionConversationPresentation view;
    view.badge =
        bindingMode(session) == u"monitor" ? copy.text("監視中", "Monitoring") : copy.text("利用可能", "Available");
    view.eyeline = sessionAnalysisLabel(session, copy);
    view.needsYou = sessionNeedsUser(session);
    view.manualToggleVisible = !running && canEnroll;
    view.manualToggleTitle = sessionToggleTitle(SessionToggle::manual, manualOpen, copy);
    if (!canSetAutoContinue(session)) {
        view.capabilityNote =
            copy.text("この会話では自動継続を利用できません。", "Auto-continue is unavailable for this conversation.");
    }
    view.retryVisible = retry && !manualOpen;
    view.retryEnabled = view.retryVisible && !running && reachable && boolAt(capabilities, u"canAnalyze");
    view.manualSubmitVisible = manualOpen;
    view.manualSubmitEnabled = manualOpen && !running && reachable && canEnroll;
    return view;
}

QString sessionToggleTitle(SessionToggle toggle, bool open, const Copy& copy) {
    switch (toggle) {
    case SessionToggle::preferences:
        return open ? copy.text("設定を閉じる", "Hide settings") : copy.text("設定", "Settings");
    case SessionToggle::evidence:
        return open ? copy.text("詳細を閉じる", "Hide details") : copy.text("詳細", "Details");
    case SessionToggle::manual:
        return open ? copy.text("手動の目標を隠す", "Hide manual goal")
                    : copy.text("目標を自分で設定", "Set a goal manually");
    case SessionToggle::advanced:
        break;
    }
    return open ? copy.text("詳細設定を隠す", "Hide advanced limits") : copy.text("詳細設定を表示", "Advanced limits");
}

AutoContinueSwitchPresentation autoContinueSwitchPresentation(const QJsonObject& session, bool pending, bool reachable,
                                                              const Copy& copy) {
    AutoContinueSwitchPresentation row;
    row.on = boolAt(session, u"autoContinue");
    if (pending) {
        row.hint = copy.text("設定を更新中…", "Updating…");
        return row;
    }
    const bool allowed = canSetAutoContinue(session);
    row.enabled = reachable && allowed;
    row.hint = allowed ? copy.text("残りの作業を任せる", "Continue unfinished work for me")
                       : copy.text("この会話では利用できません", "Unavailable for this session");
    return row;
}

QString providerGoalStatusLabel(const QString& status, const Copy& copy) {
    if (status == u"active" || status == u"in_progress" || status == u"running") {
        return copy.text("進行中", "In progress");
    }
    if (status == u"completed" || status == u"complete" || status == u"succeeded") {
        return copy.text("完了と報告", "Reported complete");
    }
    if (status == u"paused") {
        return copy.text("一時停止", "Paused");
    }
    if (status == u"blocked") {
        return copy.text("ブロック中", "Blocked");
    }
    if (status == u"usageLimited") {
        return copy.text("使用量の上限に到達", "Usage limit reached");
    }
    if (status == u"budgetLimited") {
        return copy.text("予算の上限に到達", "Budget limit reached");
    }
    if (status == u"waiting") {
        return copy.text("待機中", "Waiting");
    }
    if (status == u"cancelled") {
        return copy.text("キャンセル済み", "Cancelled");
    }
    return {};
}

std::optional<QDateTime> providerGoalUpdatedAt(const QJsonValue& value) {
    if (value.isDouble()) {
        const double seconds = value.toDouble();
        if (!std::isfinite(seconds) || seconds <= 0 || seconds > kLastSecond) {
            return std::nullopt;
        }
        return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(std::floor(seconds * 1000.0)), QTimeZone::utc());
    }
    return parseInternetDateTime(value);
}

ProviderGoalPresentation providerGoalPresentation(const QJsonObject& session, const Copy& copy, const QLocale& locale) {
    const QJsonObject goal = objectAt(session, u"providerGoal");
    QStringList parts{copy.text("元の目標", "Original goal"),
                      providerGoalStatusLabel(stringAt(goal, u"status").value_or(QString()), copy)};
    if (const std::optional<QDateTime> updated = providerGoalUpdatedAt(goal.value(u"updatedAt"))) {
        parts.append(locale.toString(updated->toLocalTime(), QLocale::ShortFormat));
    }
    parts.removeAll(QString());
    return {safeMessage(stringAt(goal, u"objective"), kLongTextLimit), parts.join(QStringLiteral(" · "))};
}
