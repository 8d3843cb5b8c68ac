#include "AreaHarness.h"

void RecordingCommandSink::send(const QString& action, bool force, const std::optional<QString>& taskKey,
                                const QJsonObject& fields, Completion completion) {
    commands.append({action, force, taskKey, fields, std::move(completion)});
}

void RecordingCommandSink::complete(qsizetype index, bool ok, const std::optional<QString>& message) {
    if (index < 0 || index >= commands.size()) {
        return;
    }
    const Completion completion = std::exchange(commands[index].completion, {});
    if (completion) {
        completion(ok, message);
    }
}

QStringList RecordingCommandSink::actions() const {
    QStringList names;
    for (const Command& command : commands) {
        names.append(command.action);
    }
    return names;
}

AreaHarness::AreaHarness(const QStringList& languages)
    : copy(Copy::fromPreferredLanguages(languages)), context{platform, copy, commands, link, feedback, &parent} {
    platform.languages = languages;
}
