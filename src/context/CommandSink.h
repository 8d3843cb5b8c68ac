#pragma once

#include <QJsonObject>
#include <QString>

#include <functional>
#include <optional>

// Where areas send commands to the host. A command always completes exactly once: with the host's result, or with a
// failure when it cannot be sent, when the app is in preview mode, or when the host ends first.
class CommandSink {
public:
    // `ok` and a message that is already masked and cut.
    using Completion = std::function<void(bool ok, const std::optional<QString>& message)>;

    CommandSink() = default;
    virtual ~CommandSink() = default;
    CommandSink(const CommandSink&) = delete;
    CommandSink& operator=(const CommandSink&) = delete;

    virtual void send(const QString& action, bool force = false, const std::optional<QString>& taskKey = std::nullopt,
                      const QJsonObject& fields = {}, Completion completion = {}) = 0;
};
