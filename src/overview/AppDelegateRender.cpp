// One snapshot to the screen: every view recomputed in a fixed order.
#include "app/AppDelegate.h"

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

void AppDelegate::render(const QJsonObject& status) {
    const bool preview = fixtureMode;
    lastStatusReceivedAt = platform().now();

    // Plug-in setup.
    const QJsonObject pluginSetup = objectAt(status, u"pluginSetup");
    const QString setupState = stateAt(pluginSetup);
    pluginSetupButton->setEnabled(!preview && setupState != u"installing");
    if (setupState == u"installing") {
        pluginSetupLabel->setText(copy.text("プラグインを準備中…", "Preparing plugins…"));
    } else if (setupState == u"ready") {
        pluginSetupLabel->setText(
            boolAt(pluginSetup, u"refreshPending")
                ? copy.text("ファイルの準備完了。アプリ内のプラグイン更新は未完了です。Codex・Claude Code で VODU "
                            "を再読み込みし、hooks を確認してください。",
                            "Files are ready; provider plugin refresh is pending. Reload VODU in Codex / Claude Code "
                            "and review its hooks.")
                : copy.text("ファイルの準備完了。各アプリで VODU を有効化し、hooks を確認・許可してください。",
                            "Plugin files are ready. Enable VODU in each provider and review and allow its hooks."));
    } else if (setupState == u"error") {
        pluginSetupLabel->setText(
            copy.text("準備を完了できませんでした。もう一度お試しください。", "Setup could not finish. Try again."));
    } else {
        pluginSetupLabel->setText(
            copy.text("ボタンから Codex・Claude Code のプラグインファイルを準備できます。hooks の許可は変更しません。",
                      "Prepare Codex and Claude Code plugin files with the button. Hook permissions are unchanged."));
    }

    // Hooks and runs. Without a hooks object the hook texts and the attention key keep their values.
    const QJsonValue hooksValue = status.value(u"deliveryHooks");
    if (!hooksValue.isObject()) {
        renderDeliveryRuns({});
    } else {
        const QJsonObject hooks = hooksValue.toObject();
        const QJsonObject hookProviders = objectAt(hooks, u"providers");
        QLabel* const hookLabels[] = {codexHookLabel, claudeHookLabel};
        for (int index = 0; index < 2; ++index) {
            const ProviderEntry& provider = kProviders[index];
            const bool observed = stringAt(objectAt(hookProviders, QString::fromLatin1(provider.key)), u"state") ==
                                  QStringLiteral("observed");
            hookLabels[index]->setText(
                QString::fromLatin1(provider.displayName) + QStringLiteral(": ") +
                (observed ? copy.text("実行履歴あり · /hooks で状態を確認", "Previously observed · verify in /hooks")
                          : copy.text("未検出 · /hooks で確認・有効化", "Not observed · review and enable in /hooks")));
        }
        const QJsonArray runs = arrayAt(hooks, u"runs");
        const QList<QJsonObject> runObjects = objectsAt(hooks, u"runs");
        hookLabel->setText(latestRunsText(runObjects)
                               .value_or(copy.text("まだ開始されていません。", "No Dozadavi Zaro started yet.")));
        hookLabel->setToolTip(copy.text("承認・情報不足を解消後、元の会話で再開を依頼してください。",
                                        "Resolve the approval or missing information, then request resume in the "
                                        "original conversation."));
        renderDeliveryRuns(runs);
        const QString attentionKey = hookAttentionKeyOf(runObjects);
        if (!preview && !attentionKey.isEmpty() && attentionKey != hookAttentionKey) {
            platform().requestAttention(window);
        }
        hookAttentionKey = attentionKey;
    }

    connected = true;

    const QJsonObject sessionSupervision = objectAt(status, u"sessionSupervision");
    sessionDiscoveryMessage = sessionDiscoveryMessageOf(sessionSupervision, copy);
    if (preview && selectedSessionIdentity.isEmpty()) {
        selectedSessionIdentity = stringAt(status, u"previewSelectedSession").value_or(QString());
    }
    QJsonArray fallbackRuns;
    for (const QJsonObject& run : deliveryRuns) {
        fallbackRuns.append(run);
    }
    renderSessionSupervision(arrayAt(sessionSupervision, u"sessions"), fallbackRuns);

    // Account.
    const QJsonObject auth = objectAt(status, u"auth");
    const QString authState = stateAt(auth);
    const bool signedIn = authState == u"signed_in";
    if (signedIn) {
        accountRow->render(cleanLabel(stringAt(auth, u"userLabel")).value_or(copy.text("ログイン済み", "Signed in")),
                           Tone::good);
        accountRow->action()->hide();
    } else {
        if (authState == u"expired") {
            accountRow->render(copy.text("ログインの有効期限が切れました", "Sign-in expired"), Tone::warning);
        } else {
            accountRow->render(copy.text("ログインしていません", "Signed out"), Tone::neutral);
        }
        accountRow->action()->setText(copy.text("ログイン", "Sign in"));
        accountRow->action()->setHidden(preview);
    }
    if (auto* web = qobject_cast<FlatOutlineButton*>(webButton)) {
        web->setTint(signedIn ? std::optional<ThemeColor>(Theme::accent) : std::nullopt);
    }

    // Connection.
    const QJsonObject connection = objectAt(status, u"connection");
    const QString connectionState = stateAt(connection);
    TextAndTone link{copy.text("状態を確認できません", "Status unknown"), Tone::neutral};
    if (connectionState == u"online") {
        link = {copy.text("オンライン", "Online"), Tone::good};
    } else if (connectionState == u"connecting") {
        link = {copy.text("接続中…", "Connecting…"), Tone::busy};
    } else if (connectionState == u"unauthorized") {
        link = {copy.text("ログインが必要です", "Sign-in required"), Tone::warning};
    } else if (connectionState == u"offline") {
        link = {
            safeMessage(stringAt(connection, u"error"), kShortTextLimit).value_or(copy.text("オフライン", "Offline")),
            Tone::bad};
    }
    connectionRow->render(link.text, link.tone);
    TextAndTone summary =
        signedIn ? link : TextAndTone{copy.text("ログインが必要です", "Sign-in required"), Tone::warning};
    connectionSummary->setToolTip(
        copy.text("クリックして接続状態と設定を開く", "Click to open connection status and settings"));
    connectionRow->action()->setText(copy.text("再接続", "Reconnect"));
    connectionRow->action()->setHidden(preview || connectionState == u"online" || connectionState == u"connecting");

    // Providers.
    StatusRow* const providerRows[] = {codexRow, claudeRow};
    for (int index = 0; index < 2; ++index) {
        const ProviderEntry& provider = kProviders[index];
        renderProvider(providerRows[index], providerRecord(status, QString::fromLatin1(provider.key)),
                       QString::fromLatin1(provider.displayName));
    }

    runningVersion = cleanLabel(stringAt(status, u"version"));
    versionLabel->setText(installedVersionText(runningVersion));

    webRoot = validatedRoot(stringAt(status, u"webOrigin"),
                            configuredOrigin(platform().environmentValue(QStringLiteral("VODU_WEB_ORIGIN")),
                                             platform().environmentValue(QStringLiteral("VODU_API_ORIGIN"))));
    serviceLabel->setText(webRoot ? webRoot->toString()
                                  : copy.text("Web アドレスは利用できません", "Web address unavailable"));
    lastSuccessLabel->setText(lastSuccessText(connection.value(u"lastSuccessAt")));
    webButton->setEnabled(!preview && webRoot.has_value());
    copyButton->setEnabled(!preview && webRoot.has_value());
    refreshButton->setEnabled(!preview);

    renderTasks(objectAt(status, u"tasks"));
    const QJsonValue update = status.value(u"update");
    renderUpdate(update.isObject() ? std::optional<QJsonObject>(update.toObject()) : std::nullopt);

    setFooterText(preview ? copy.text("プレビュー用データ", "Preview data") : sampledText(status.value(u"sampledAt")));
    if (!hookAttentionKey.isEmpty()) {
        summary = {copy.text("会話 · 確認が必要", "Sessions · Needs attention"), Tone::warning};
        setFooterText(copy.text("接続状態と設定を開き、Dozadavi Zaro の停止理由をご確認ください。",
                                "Open Connection & settings to review why Dozadavi Zaro stopped."));
    }
    if (preview) {
        summary = {copy.text("プレビュー · サンプル会話", "Preview · sample sessions"), Tone::good};
    }
    connectionSummary->setText(summary.text);
    connectionSummary->setTone(summary.tone);
    updateMenuStatus(summary.text);
}

void AppDelegate::renderProvider(StatusRow* row, const QJsonObject& provider, const QString& label) {
    const std::optional<QString> version = versionLabelText(stringAt(provider, u"version"));
    row->action()->hide();
    const QString state = stateAt(provider);
    if (state == u"ready") {
        row->render(version ? copy.text(QStringLiteral("インストール済み · ログイン済み · ") + *version,
                                        QStringLiteral("Installed · signed in · ") + *version)
                            : copy.text("インストール済み · ログイン済み", "Installed · signed in"),
                    Tone::good);
    } else if (state == u"signed_out") {
        row->render(copy.text("ログインが必要です", "Sign-in required"), Tone::warning);
        row->action()->setText(copy.text(label + QStringLiteral(" にログイン"), QStringLiteral("Sign in to ") + label));
        row->action()->setHidden(fixtureMode);
    } else if (state == u"missing") {
        row->render(copy.text("インストールされていません", "Not installed"), Tone::bad);
    } else if (state == u"outdated") {
        row->render(copy.text("アップデートが必要です", "Update required"), Tone::warning);
    } else {
        row->render(copy.text("状態を確認できません", "Status unknown"), Tone::neutral);
    }
}

QString AppDelegate::installedVersionText(const std::optional<QString>& running) const {
    const std::optional<QString> bundled =
        versionLabelText(platform().bundleString(QStringLiteral("CFBundleShortVersionString")));
    if (bundled) {
        if (!running || *running == *bundled) {
            return copy.text(QStringLiteral("バージョン ") + *bundled, QStringLiteral("Version ") + *bundled);
        }
        return copy.text(QStringLiteral("App ") + *bundled + QStringLiteral(" · 実行中 ") + *running,
                         QStringLiteral("App ") + *bundled + QStringLiteral(" · Running ") + *running);
    }
    if (running) {
        return copy.text(QStringLiteral("実行中 ") + *running, QStringLiteral("Running ") + *running);
    }
    return copy.text("バージョン不明", "Version unknown");
}

QString AppDelegate::lastSuccessText(const QJsonValue& timestamp) const {
    if (const std::optional<QDateTime> moment = parseInternetDateTime(timestamp)) {
        const QString when = shortDateMediumTimeText(*moment);
        return copy.text(QStringLiteral("最終接続成功: ") + when, QStringLiteral("Last connected: ") + when);
    }
    return copy.text("接続成功の記録はまだありません", "No successful connection yet");
}

QString AppDelegate::sampledText(const QJsonValue& timestamp) const {
    if (const std::optional<QDateTime> moment = parseInternetDateTime(timestamp)) {
        const QString when = mediumTimeText(*moment);
        return copy.text(QStringLiteral("最終確認: ") + when, QStringLiteral("Last checked: ") + when);
    }
    return {};
}

void AppDelegate::renderWaiting() {
    const QString checking = copy.text("状態を確認中…", "Checking status…");
    deliveryControls->hide();
    deliveryStateBadge->show();
    deliveryHeadline->setText(copy.text("管理中の作業を確認中…", "Checking managed work…"));
    deliveryHeadline->show();
    deliveryGoal->clear();
    deliveryProgress->clear();
    deliveryState->setText(copy.text("接続中…", "Connecting…"));
    deliveryAttention->hide();
    deliveryNext->setText(copy.text("サービスから状態を取得しています。", "Waiting for service status."));
    deliveryNext->show();
    deliveryPrimary->hide();
    deliveryPrimaryRow->setHidden(originalSessionButton->isHidden());

    connectionSummary->setText(checking);
    connectionSummary->setTone(Tone::busy);
    updateMenuStatus(checking);
    for (StatusRow* row : {accountRow, codexRow, claudeRow}) {
        row->render(checking, Tone::neutral);
        row->action()->hide();
    }
    connectionRow->render(checking, Tone::busy);
    connectionRow->action()->hide();

    serviceLabel->setText(checking);
    lastSuccessLabel->setText(copy.text("接続履歴を確認中…", "Checking connection history…"));
    versionLabel->setText(installedVersionText(std::nullopt));
    webButton->setEnabled(false);
    copyButton->setEnabled(false);
    tasksLabel->setText(checking);
    updateDot->setColor(Theme::tertiaryLabel);
    updateLabel->setText(checking);
    updateButton->setText(copy.text("アップデートを確認", "Check for updates"));
}
