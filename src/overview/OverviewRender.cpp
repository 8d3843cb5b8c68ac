// One snapshot to the screen: every view recomputed in a fixed order.
#include "overview/OverviewController.h"

#include "context/AppContext.h"
#include "ui/Copy.h"

#include "model/SnapshotReading.h"
#include "model/TextSafety.h"
#include "model/Timestamps.h"
#include "overview/OverviewDecisions.h"
#include "platform/Platform.h"
#include "ui/ConnectionButton.h"
#include "ui/FlatButtons.h"
#include "ui/StatusRow.h"
#include "ui/Theme.h"
#include "ui/ThemedLabel.h"

#include <QLabel>
#include <QMainWindow>
#include <QPushButton>

namespace {

struct TextAndTone {
    QString text;
    Tone tone;
};

} // namespace

void OverviewController::renderSetupAndHooks(const QJsonObject& status) {
    const bool preview = m_context.link.fixtureMode;

    // Plug-in setup.
    const QJsonObject pluginSetup = objectAt(status, u"pluginSetup");
    const QString setupState = stateAt(pluginSetup);
    m_pluginSetupButton->setEnabled(!preview && setupState != u"installing");
    m_pluginRemoveButton->setEnabled(!preview && setupState == u"ready");
    if (setupState == u"installing") {
        m_pluginSetupLabel->setText(m_context.copy.text("プラグインを準備中…", "Preparing plugins…"));
    } else if (setupState == u"ready") {
        m_pluginSetupLabel->setText(
            boolAt(pluginSetup, u"refreshPending")
                ? m_context.copy.text(
                      "ファイルの準備完了。アプリ内のプラグイン更新は未完了です。Codex・Claude Code で VODU "
                      "を再読み込みし、hooks を確認してください。",
                      "Files are ready; provider plugin refresh is pending. Reload VODU in Codex / Claude Code "
                      "and review its hooks.")
                : m_context.copy.text(
                      "ファイルの準備完了。各アプリで VODU を有効化し、hooks を確認・許可してください。",
                      "Plugin files are ready. Enable VODU in each provider and review and allow its hooks."));
    } else if (setupState == u"error") {
        m_pluginSetupLabel->setText(m_context.copy.text("準備を完了できませんでした。もう一度お試しください。",
                                                        "Setup could not finish. Try again."));
    } else {
        m_pluginSetupLabel->setText(m_context.copy.text(
            "ボタンから Codex・Claude Code のプラグインファイルを準備できます。hooks の許可は変更しません。",
            "Prepare Codex and Claude Code plugin files with the button. Hook permissions are unchanged."));
    }

    // Hooks and runs. Without a hooks object the hook texts and the attention key keep their values.
    const QJsonValue hooksValue = status.value(u"deliveryHooks");
    if (hooksValue.isObject()) {
        const QJsonObject hooks = hooksValue.toObject();
        const QJsonObject hookProviders = objectAt(hooks, u"providers");
        QLabel* const hookLabels[] = {m_codexHookLabel, m_claudeHookLabel};
        for (int index = 0; index < 2; ++index) {
            const ProviderEntry& provider = kProviders[index];
            hookLabels[index]->setText(
                QString::fromLatin1(provider.displayName) + QStringLiteral(": ") +
                hookRowText(objectAt(hookProviders, QString::fromLatin1(provider.key)), m_context.copy));
        }
        const QList<QJsonObject> runObjects = objectsAt(hooks, u"runs");
        m_hookLabel->setText(
            latestRunsText(runObjects)
                .value_or(m_context.copy.text("まだ開始されていません。", "No Dozadavi Zaro started yet.")));
        m_hookLabel->setToolTip(
            m_context.copy.text("承認・情報不足を解消後、元の会話で再開を依頼してください。",
                                "Resolve the approval or missing information, then request resume in the "
                                "original conversation."));
        const QString attentionKey = hookAttentionKeyOf(runObjects);
        if (!preview && !attentionKey.isEmpty() && attentionKey != m_hookAttentionKey) {
            m_context.platform.requestAttention(m_context.window);
        }
        m_hookAttentionKey = attentionKey;
    }
}

void OverviewController::renderAccount(const QJsonObject& status) {
    const bool preview = m_context.link.fixtureMode;

    // Account.
    const QJsonObject auth = objectAt(status, u"auth");
    const QString authState = stateAt(auth);
    const bool signedIn = authState == u"signed_in";
    if (signedIn) {
        m_accountRow->render(
            cleanLabel(stringAt(auth, u"userLabel")).value_or(m_context.copy.text("ログイン済み", "Signed in")),
            Tone::good);
        m_accountRow->action()->hide();
    } else {
        if (authState == u"expired") {
            m_accountRow->render(m_context.copy.text("ログインの有効期限が切れました", "Sign-in expired"),
                                 Tone::warning);
        } else {
            m_accountRow->render(m_context.copy.text("ログインしていません", "Signed out"), Tone::neutral);
        }
        m_accountRow->action()->setText(m_context.copy.text("ログイン", "Sign in"));
        m_accountRow->action()->setHidden(preview);
    }
    if (auto* web = qobject_cast<FlatOutlineButton*>(m_webButton)) {
        web->setTint(signedIn ? std::optional<ThemeColor>(Theme::accent) : std::nullopt);
    }

    // Connection.
    const QJsonObject connection = objectAt(status, u"connection");
    const QString connectionState = stateAt(connection);
    TextAndTone link{m_context.copy.text("状態を確認できません", "Status unknown"), Tone::neutral};
    if (connectionState == u"online") {
        link = {m_context.copy.text("オンライン", "Online"), Tone::good};
    } else if (connectionState == u"connecting") {
        link = {m_context.copy.text("接続中…", "Connecting…"), Tone::busy};
    } else if (connectionState == u"unauthorized") {
        link = {m_context.copy.text("ログインが必要です", "Sign-in required"), Tone::warning};
    } else if (connectionState == u"offline") {
        link = {safeMessage(stringAt(connection, u"error"), kShortTextLimit)
                    .value_or(m_context.copy.text("オフライン", "Offline")),
                Tone::bad};
    }
    m_connectionRow->render(link.text, link.tone);
    const TextAndTone summary =
        signedIn ? link : TextAndTone{m_context.copy.text("ログインが必要です", "Sign-in required"), Tone::warning};
    m_summaryText = summary.text;
    m_summaryTone = summary.tone;
    m_connectionSummary->setToolTip(
        m_context.copy.text("クリックして接続状態と設定を開く", "Click to open connection status and settings"));
    m_connectionRow->action()->setText(m_context.copy.text("再接続", "Reconnect"));
    m_connectionRow->action()->setHidden(preview || connectionState == u"online" || connectionState == u"connecting");

    // Providers.
    StatusRow* const providerRows[] = {m_codexRow, m_claudeRow};
    for (int index = 0; index < 2; ++index) {
        const ProviderEntry& provider = kProviders[index];
        // What discovery could not read is said here too, where it stays in view beside a full list.
        const std::optional<QString> discovery =
            providerDiscoveryLine(objectAt(objectAt(objectAt(status, u"sessionSupervision"), u"providers"),
                                           QString::fromLatin1(provider.key)),
                                  m_context.copy);
        renderProvider(providerRows[index], providerRecord(status, QString::fromLatin1(provider.key)),
                       QString::fromLatin1(provider.displayName), discovery);
    }

    m_state.runningVersion = cleanLabel(stringAt(status, u"version"));
    m_versionLabel->setText(installedVersionText(m_state.runningVersion));

    m_webRoot = validatedRoot(stringAt(status, u"webOrigin"),
                              configuredOrigin(m_context.platform.environmentValue(QStringLiteral("VODU_WEB_ORIGIN")),
                                               m_context.platform.environmentValue(QStringLiteral("VODU_API_ORIGIN"))));
    m_serviceLabel->setText(m_webRoot ? m_webRoot->toString()
                                      : m_context.copy.text("Web アドレスは利用できません", "Web address unavailable"));
    m_lastSuccessLabel->setText(lastSuccessText(connection.value(u"lastSuccessAt")));
    m_webButton->setEnabled(!preview && m_webRoot.has_value());
    m_copyButton->setEnabled(!preview && m_webRoot.has_value());
    m_refreshButton->setEnabled(!preview);
}

void OverviewController::renderSummary(const QJsonObject& status) {
    const bool preview = m_context.link.fixtureMode;
    TextAndTone summary{m_summaryText, m_summaryTone};
    m_context.feedback.setRoutineFooterText(preview ? m_context.copy.text("プレビュー用データ", "Preview data")
                                                    : sampledText(status.value(u"sampledAt")));
    if (!m_hookAttentionKey.isEmpty()) {
        summary = {m_context.copy.text("会話 · 確認が必要", "Sessions · Needs attention"), Tone::warning};
        m_context.feedback.setFooterText(
            m_context.copy.text("接続状態と設定を開き、Dozadavi Zaro の停止理由をご確認ください。",
                                "Open Connection & settings to review why Dozadavi Zaro stopped."));
    }
    if (preview) {
        summary = {m_context.copy.text("プレビュー · サンプル会話", "Preview · sample sessions"), Tone::good};
    }
    m_connectionSummary->setText(summary.text);
    m_connectionSummary->setTone(summary.tone);
    updateMenuStatus(summary.text);
}

void OverviewController::renderProvider(StatusRow* row, const QJsonObject& provider, const QString& label,
                                        const std::optional<QString>& discovery) {
    const std::optional<QString> version = versionLabelText(stringAt(provider, u"version"));
    row->action()->hide();
    const QString state = stateAt(provider);
    QString text;
    Tone tone = Tone::neutral;
    if (state == u"ready") {
        text = version ? m_context.copy.text(QStringLiteral("インストール済み · ログイン済み · ") + *version,
                                             QStringLiteral("Installed · signed in · ") + *version)
                       : m_context.copy.text("インストール済み · ログイン済み", "Installed · signed in");
        tone = Tone::good;
    } else if (state == u"signed_out") {
        text = m_context.copy.text("ログインが必要です", "Sign-in required");
        tone = Tone::warning;
        row->action()->setText(
            m_context.copy.text(label + QStringLiteral(" にログイン"), QStringLiteral("Sign in to ") + label));
        row->action()->setHidden(m_context.link.fixtureMode);
    } else if (state == u"missing") {
        text = m_context.copy.text("インストールされていません", "Not installed");
        tone = Tone::bad;
    } else if (state == u"outdated") {
        text = m_context.copy.text("アップデートが必要です", "Update required");
        tone = Tone::warning;
    } else {
        text = m_context.copy.text("状態を確認できません", "Status unknown");
    }
    row->render(discovery ? text + QStringLiteral(" · ") + *discovery : text, tone);
}

QString OverviewController::installedVersionText(const std::optional<QString>& running) const {
    const std::optional<QString> bundled =
        versionLabelText(m_context.platform.bundleString(QStringLiteral("CFBundleShortVersionString")));
    if (bundled) {
        if (!running || *running == *bundled) {
            return m_context.copy.text(QStringLiteral("バージョン ") + *bundled, QStringLiteral("Version ") + *bundled);
        }
        return m_context.copy.text(QStringLiteral("App ") + *bundled + QStringLiteral(" · 実行中 ") + *running,
                                   QStringLiteral("App ") + *bundled + QStringLiteral(" · Running ") + *running);
    }
    if (running) {
        return m_context.copy.text(QStringLiteral("実行中 ") + *running, QStringLiteral("Running ") + *running);
    }
    return m_context.copy.text("バージョン不明", "Version unknown");
}

QString OverviewController::lastSuccessText(const QJsonValue& timestamp) const {
    if (const std::optional<QDateTime> moment = parseInternetDateTime(timestamp)) {
        const QString when = shortDateMediumTimeText(*moment);
        return m_context.copy.text(QStringLiteral("最終接続成功: ") + when, QStringLiteral("Last connected: ") + when);
    }
    return m_context.copy.text("接続成功の記録はまだありません", "No successful connection yet");
}

QString OverviewController::sampledText(const QJsonValue& timestamp) const {
    if (const std::optional<QDateTime> moment = parseInternetDateTime(timestamp)) {
        const QString when = mediumTimeText(*moment);
        return m_context.copy.text(QStringLiteral("最終確認: ") + when, QStringLiteral("Last checked: ") + when);
    }
    return {};
}
