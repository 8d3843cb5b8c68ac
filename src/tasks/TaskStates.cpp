#include "tasks/TaskStates.h"

#include "model/SnapshotReading.h"

namespace {

const ThemeColor kSuccessColor = Theme::color(0x81D99B, 0x187A2D);
const ThemeColor kFailedColor = Theme::color(0xFFA0A0, 0xB42323);
const ThemeColor kStoppedColor = Theme::color(0xF4BC7C, 0x9C4300);

bool isStoppedState(const QString& state) {
    return state == u"stopped" || state == u"cancelled" || state == u"canceled";
}

bool isRunningState(const QString& state) {
    return state == u"running" || state == u"coding";
}

} // namespace

std::optional<QString> taskIdentity(const QJsonObject& task) {
    if (std::optional<QString> key = stringAt(task, u"key")) {
        return key;
    }
    return stringAt(task, u"id");
}

QString taskLabel(const QJsonObject& task) {
    return stringAt(task, u"label").value_or(QStringLiteral("Task"));
}

bool isTaskSuccessState(const QString& state) {
    return state == u"succeeded" || state == u"completed" || state == u"complete" || state == u"merge_ready" ||
           state == u"pr_ready_for_review";
}

QString derivedStateName(const QString& state) {
    QString name = state;
    name.replace(QLatin1Char('_'), QLatin1Char(' '));
    QString result;
    result.reserve(name.size());
    bool wordStart = true;
    for (qsizetype index = 0; index < name.size(); ++index) {
        // A whole code point at a time, so a letter outside the basic plane is cased as one character.
        const qsizetype length = name.at(index).isHighSurrogate() && index + 1 < name.size() ? 2 : 1;
        const QString character = name.mid(index, length);
        index += length - 1;
        if (character.at(0).isSpace()) {
            result += character;
            wordStart = true;
            continue;
        }
        result += wordStart ? character.toUpper() : character.toLower();
        wordStart = false;
    }
    return result;
}

QString taskStateName(const QString& state, const Copy& copy) {
    if (state == u"succeeded") {
        return copy.text("完了", "Completed");
    }
    if (state == u"failed") {
        return copy.text("失敗", "Failed");
    }
    if (state == u"stopped") {
        return copy.text("停止", "Stopped");
    }
    if (state == u"cancelled") {
        return copy.text("キャンセル", "Cancelled");
    }
    if (state == u"running") {
        return copy.text("実行中", "Running");
    }
    if (state == u"queued") {
        return copy.text("待機中", "Queued");
    }
    return derivedStateName(state);
}

QString taskStateSymbol(const QString& state) {
    if (isTaskSuccessState(state)) {
        return QStringLiteral("\u2713");
    }
    if (state == u"failed") {
        return QStringLiteral("\u00D7");
    }
    if (isStoppedState(state)) {
        return QStringLiteral("\u2013");
    }
    if (state == u"queued") {
        return QStringLiteral("\u25F7");
    }
    return QStringLiteral("\u25CF");
}

ThemeColor taskStateColor(const QString& state) {
    if (isTaskSuccessState(state)) {
        return kSuccessColor;
    }
    if (state == u"failed") {
        return kFailedColor;
    }
    if (isStoppedState(state)) {
        return kStoppedColor;
    }
    if (isRunningState(state) || state == u"queued") {
        return Theme::accent;
    }
    return Theme::secondary;
}

QString taskStateLine(const QString& state, const Copy& copy) {
    return taskStateSymbol(state) + QStringLiteral("  ") + taskStateName(state, copy);
}

qsizetype taskRowToSelect(const QList<QJsonObject>& items, const std::optional<QString>& selectedKey) {
    for (qsizetype row = 0; row < items.size(); ++row) {
        if (taskIdentity(items.at(row)) == selectedKey) {
            return row;
        }
    }
    return 0;
}
