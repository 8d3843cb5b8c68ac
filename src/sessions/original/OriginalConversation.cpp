#include "sessions/original/OriginalConversation.h"

#include "model/LinkAddress.h"
#include "model/RecordIdentity.h"
#include "model/SnapshotReading.h"
#include "model/TextSafety.h"

#include <QRegularExpression>

namespace {

const QString kCodexThreadPrefix = QStringLiteral("codex://threads/");

bool isHexDigit(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// Five groups of 8-4-4-4-12 ASCII hexadecimal digits joined by hyphens, nothing around them.
bool isUuid(const QString& text) {
    if (text.size() != 36) {
        return false;
    }
    for (qsizetype index = 0; index < text.size(); ++index) {
        const bool hyphenPlace = index == 8 || index == 13 || index == 18 || index == 23;
        if (hyphenPlace ? text.at(index) != u'-' : !isHexDigit(text.at(index))) {
            return false;
        }
    }
    return true;
}

// The id as sent, whole: for a conversation found by hand it is the only key. Line breaks would forge lines.
QString sessionIdOnOneLine(QString session) {
    session.replace(QRegularExpression(QStringLiteral("[\\r\\n\\x{2028}\\x{2029}\\x{85}\\v\\f]+")),
                    QStringLiteral(" "));
    return session.trimmed();
}

} // namespace

std::optional<QUrl> exactCodexThreadURL(const QJsonObject& target, const QString& session) {
    if (stringAt(target, u"kind") != QStringLiteral("url") || !boolAt(target, u"verifiedOnPlatform") ||
        !isUuid(session) || stringAt(target, u"url") != kCodexThreadPrefix + session) {
        return std::nullopt;
    }
    return parseLinkAddress(kCodexThreadPrefix + session);
}

OriginalNavigationButton originalNavigationButton(const std::optional<QJsonObject>& record, bool fixtureMode,
                                                  const Copy& copy) {
    OriginalNavigationButton button;
    button.toolTip = copy.text("元の会話に移動します。承認や再開は行いません。",
                               "Navigate to the original conversation. This does not approve or resume the task.");
    button.title = copy.text("元の会話を開く", "Open original conversation");
    if (!record) {
        return button;
    }
    const QJsonObject target = objectAt(*record, u"originalSessionTarget");
    const QString kind = stringAt(target, u"kind").value_or(QString());
    const QString provider = stringAt(*record, u"provider").value_or(QString());
    button.visible = kind == u"url" || kind == u"manual" || fixtureMode;
    if (fixtureMode) {
        button.title = provider == u"codex" ? copy.text("Codex で開く · サンプル", "Open in Codex · sample")
                                            : copy.text("元の会話 · サンプル", "Original conversation · sample");
    } else if (kind == u"manual") {
        button.title = provider == u"claude" ? copy.text("Claude に戻る方法", "Return to Claude")
                                             : copy.text("元の会話を探す", "Find original conversation");
    } else if (provider == u"codex") {
        button.title = copy.text("Codex で開く", "Open in Codex");
    } else if (std::optional<QString> label = safeMessage(stringAt(target, u"label"), kShortTextLimit)) {
        button.title = *label;
    }
    return button;
}

std::optional<QJsonObject> originalConversationRecord(const std::optional<QJsonObject>& conversation,
                                                      const std::optional<QJsonObject>& run) {
    if (conversation) {
        const QString mode = bindingMode(*conversation);
        if (mode != u"managed" && mode != u"pending_takeover" && mode != u"standard_loop") {
            return conversation;
        }
    }
    return run;
}

OriginalConversationOpening originalConversationOpening(const std::optional<QJsonObject>& record, bool fixtureMode,
                                                        const Copy& copy) {
    OriginalConversationOpening opening;
    const std::optional<QString> provider = record ? stringAt(*record, u"provider") : std::nullopt;
    const std::optional<QString> session = record ? stringAt(*record, u"session") : std::nullopt;
    if (!provider || !session) {
        return opening;
    }
    const QString close = copy.text("閉じる", "Close");
    if (fixtureMode) {
        opening.step = OriginalConversationOpening::Step::preview;
        opening.alert = {copy.text("サンプルの会話", "Sample conversation"),
                         copy.text("これはプレビューです。元の会話は開かれず、承認も送信されません。",
                                   "Preview only. No conversation will open and no approval will be sent."),
                         close};
        return opening;
    }
    const QJsonObject target = objectAt(*record, u"originalSessionTarget");
    opening.step = OriginalConversationOpening::Step::open;
    if (*provider == u"codex") {
        opening.link = exactCodexThreadURL(target, *session);
    }
    const bool claude = *provider == u"claude";
    const QString explanation =
        claude ? copy.text("元の Claude ウィンドウに戻ってください。別の CLI "
                           "プロセスは開始しません。この操作は承認や再開を行いません。",
                           "Return to the original Claude window. VODU will not start a second CLI process. This does "
                           "not approve or resume anything.")
               : safeMessage(stringAt(target, u"reason"), kShortTextLimit)
                     .value_or(copy.text("この会話への検証済みリンクはありません。",
                                         "No verified link is available for this conversation."));
    opening.alert = {claude ? copy.text("元の Claude 会話に戻る", "Return to the original Claude conversation")
                            : copy.text("元の会話を開けません", "Could not open the original conversation"),
                     explanation + QStringLiteral("\n\n") + copy.text("会話 ID: ", "Session ID: ") +
                         sessionIdOnOneLine(*session),
                     close};
    return opening;
}
