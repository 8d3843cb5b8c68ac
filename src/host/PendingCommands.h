#pragma once

#include "context/CommandSink.h"

#include <QHash>
#include <QJsonObject>

// Commands written to the host and waiting for their result, by command id. Each completion runs at most once.
class PendingCommands {
public:
    using Completion = CommandSink::Completion;

    void park(const QString& id, Completion completion) { m_waiting.insert(id, std::move(completion)); }
    // Runs and forgets the completion of `id` with a failure (a write that did not go through), with `message`.
    void fail(const QString& id, const std::optional<QString>& message = std::nullopt);
    // A "result" message: completes the command it names with "ok" and the masked message. Unknown or already
    // answered ids, and results without a string id, change nothing.
    void complete(const QJsonObject& result);
    // The host is gone: every waiting command fails, each once.
    void failAll();
    qsizetype size() const { return m_waiting.size(); }

private:
    QHash<QString, Completion> m_waiting;
};
