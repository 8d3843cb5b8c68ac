// Commands to the host: one JSON line each, completed by the host's result with the same id.
#include "app/AppDelegate.h"

#include "host/CommandEnvelope.h"

#include <QLabel>
#include <QProcess>

void AppDelegate::send(const QString& action, bool force, const std::optional<QString>& taskKey,
                       const QJsonObject& fields, Completion completion) {
    if (fixtureMode || !input || !process || !hostIsRunning()) {
        if (completion) {
            completion(false, std::nullopt);
        }
        return;
    }
    const QString id = newCommandId();
    const std::optional<QByteArray> line = commandLine(commandEnvelope(id, action, force, taskKey, fields));
    if (!line) {
        return;
    }
    pending.insert(id, completion);
    if (input->write(*line) != line->size()) {
        if (const auto entry = pending.constFind(id); entry != pending.constEnd()) {
            const Completion failed = entry.value();
            pending.erase(entry);
            if (failed) {
                failed(false, std::nullopt);
            }
        }
        hostEnded(-1);
    }
}

void AppDelegate::runAction(const QString& action, bool force, std::function<void(bool ok)> completion) {
    const QPointer<AppDelegate> self(this);
    send(action, force, std::nullopt, {},
         [self, completion = std::move(completion)](bool ok, const std::optional<QString>& message) {
             if (!self) {
                 return;
             }
             if (!ok) {
                 self->setFooterText(
                     message.value_or(self->copy.text("操作を完了できませんでした", "Action could not finish")));
             }
             if (completion) {
                 completion(ok);
             }
         });
}

void AppDelegate::refresh() { runAction(QStringLiteral("refresh"), false); }
void AppDelegate::signIn() { runAction(QStringLiteral("login"), false); }
void AppDelegate::codexLogin() { runAction(QStringLiteral("codex_login"), false); }
void AppDelegate::claudeLogin() { runAction(QStringLiteral("claude_login"), false); }
void AppDelegate::openCodexHooks() { runAction(QStringLiteral("codex_hooks"), false); }
void AppDelegate::openClaudeHooks() { runAction(QStringLiteral("claude_hooks"), false); }

void AppDelegate::setFooterText(const QString& text) {
    if (footer) {
        footer->setText(text);
    }
}
