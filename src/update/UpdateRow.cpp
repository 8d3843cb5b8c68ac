#include "update/UpdateRow.h"

#include "model/SnapshotReading.h"
#include "model/TextSafety.h"
#include "overview/OverviewDecisions.h"
#include "update/MacAppUpdate.h"

#include <QStringList>

namespace {

bool oneOf(const QString& word, std::initializer_list<const char*> words) {
    for (const char* candidate : words) {
        if (word == QLatin1String(candidate)) {
            return true;
        }
    }
    return false;
}

UpdateRowView installErrorView(const QString& error, bool fixtureMode, const Copy& copy) {
    UpdateRowView view;
    view.dot = UpdateDot::red;
    view.label =
        copy.text("App を更新できませんでした。インストーラーで VODU を更新してください。設定とタスクは保持されます。",
                  "The app update could not finish. Update VODU using the installer; your settings and "
                  "tasks are preserved.");
    if (const std::optional<QString> detail = safeMessage(error, kShortTextLimit)) {
        view.label += QLatin1Char('\n') + *detail;
    }
    view.buttonTitle = copy.text("インストーラーを開く", "Get installer");
    view.buttonEnabled = !fixtureMode;
    return view;
}

UpdateRowView restartView(const UpdateRowFacts& facts, const MacAppUpdate::Decision& decision, const Copy& copy) {
    UpdateRowView view;
    view.needsRestart = true;
    view.dot = UpdateDot::orange;
    view.buttonTitle = copy.text("再起動してアップデート", "Restart to update");
    view.buttonEnabled = !facts.fixtureMode && decision.canRestart;
    if (facts.restartError) {
        view.label = *facts.restartError;
        view.dot = UpdateDot::red;
    } else if (!decision.newerApp) {
        view.label = copy.text("新しい App を確認できません。インストール状態を確認してください。",
                               "The new app could not be verified. Check the installation.");
    } else if (facts.activeTasks >= 1) {
        const QString count = QString::number(facts.activeTasks);
        view.label =
            copy.text(count + QStringLiteral(" 件のタスクが完了すると再起動できます。"),
                      QStringLiteral("Restart is available when ") + count + QStringLiteral(" active task(s) finish."));
    } else if (facts.selected) {
        view.label =
            copy.text(QStringLiteral("App ") + *facts.selected + QStringLiteral(" を使うため再起動してください。"),
                      QStringLiteral("Restart to use app ") + *facts.selected + QLatin1Char('.'));
    } else {
        view.label = copy.text("再起動してアップデート", "Restart to update");
    }
    return view;
}

UpdateRowView serviceUpdateView(const QJsonObject& update, bool fixtureMode, const Copy& copy) {
    UpdateRowView view;
    view.clearRestartError = true;
    const QString state =
        stringAt(update, u"state").value_or(stringAt(update, u"status").value_or(QStringLiteral("unknown")));
    const bool available = boolAt(update, u"available") ||
                           oneOf(state, {"available", "ready", "downloaded", "update_available", "waiting_for_idle"});
    std::optional<QString> version;
    for (const char16_t* key : {u"target_version", u"latestVersion", u"version"}) {
        if (const std::optional<QString> text = stringAt(update, key)) {
            version = versionLabelText(text);
            break;
        }
    }
    std::optional<QString> message = safeMessage(stringAt(update, u"message"), kShortTextLimit);
    if (!message) {
        message = safeMessage(stringAt(update, u"error"), kShortTextLimit);
    }
    view.canInstall = available;
    view.buttonTitle =
        available ? copy.text("アップデート", "Update now") : copy.text("アップデートを確認", "Check for updates");

    if (oneOf(state, {"checking", "downloading", "installing", "updating", "restarting"})) {
        view.dot = UpdateDot::blue;
        view.label = message.value_or(copy.text("処理中…", "In progress…"));
        view.buttonEnabled = false;
    } else if (oneOf(state, {"failed", "error", "check_failed", "update_failed"})) {
        view.dot = UpdateDot::red;
        view.label = message.value_or(copy.text("確認できませんでした", "Update check failed"));
        view.buttonEnabled = !fixtureMode;
    } else if (state == u"disabled") {
        view.dot = UpdateDot::grey;
        view.label = message.value_or(copy.text("自動確認は無効です", "Automatic checks are disabled"));
        view.buttonEnabled = false;
    } else {
        view.dot = available ? UpdateDot::orange : UpdateDot::green;
        if (message) {
            view.label = *message;
        } else if (!available) {
            view.label = copy.text("最新です", "Up to date");
        } else if (version) {
            view.label = copy.text(QStringLiteral("バージョン ") + *version + QStringLiteral(" を利用できます"),
                                   QStringLiteral("Version ") + *version + QStringLiteral(" is available"));
        } else {
            view.label = copy.text("アップデートがあります", "Update available");
        }
        view.buttonEnabled = !fixtureMode;
    }
    return view;
}

} // namespace

UpdateRowView updateRowView(const UpdateRowFacts& facts, const Copy& copy) {
    if (facts.installError) {
        return installErrorView(*facts.installError, facts.fixtureMode, copy);
    }
    const MacAppUpdate::Decision decision =
        MacAppUpdate::decision(facts.native, facts.running, facts.selected, facts.activeTasks, facts.connected);
    if (decision.needsRestart) {
        return restartView(facts, decision, copy);
    }
    if (!facts.update) {
        UpdateRowView view;
        view.clearRestartError = true;
        view.dot = UpdateDot::grey;
        view.label = copy.text("未確認", "Not checked");
        view.buttonTitle = copy.text("アップデートを確認", "Check for updates");
        view.buttonEnabled = !facts.fixtureMode;
        return view;
    }
    return serviceUpdateView(*facts.update, facts.fixtureMode, copy);
}

std::optional<QUrl> installerDownloadUrl(const std::optional<QUrl>& configuredOrigin) {
    if (!configuredOrigin) {
        return std::nullopt;
    }
    QUrl page = *configuredOrigin;
    page.setPath(QStringLiteral("/download"));
    return page;
}
