#pragma once

#include "FakePlatform.h"
#include "Views.h"
#include "context/AppContext.h"
#include "ui/Copy.h"

#include <QJsonObject>
#include <QList>
#include <QStringList>
#include <QWidget>

// Records every command an area sends; the test completes each one as the host would.
class RecordingCommandSink final : public CommandSink {
public:
    struct Command {
        QString action;
        bool force = false;
        std::optional<QString> taskKey;
        QJsonObject fields;
        Completion completion;
    };

    void send(const QString& action, bool force, const std::optional<QString>& taskKey, const QJsonObject& fields,
              Completion completion) override;
    // Runs the completion of command `index` once; later calls for the same command do nothing.
    void complete(qsizetype index, bool ok, const std::optional<QString>& message = std::nullopt);
    QStringList actions() const;

    QList<Command> commands;
};

// The footer line, remembered with every text it showed.
class RecordingFeedback final : public Feedback {
public:
    void setFooterText(const QString& text) override { texts.append(text); }
    QString footerText() const override { return texts.value(texts.size() - 1); }
    QStringList texts;
};

// One area under test: a fake desktop, the language, the link facts, a recording command sink and footer, and a
// parent widget for the area's views. No host process and no window.
struct AreaHarness {
    explicit AreaHarness(const QStringList& languages = {QStringLiteral("en-US")});
    AreaHarness(const AreaHarness&) = delete;
    AreaHarness& operator=(const AreaHarness&) = delete;

    template <typename T> T* view(const char* name) const { return ::view<T>(&parent, name); }

    FakePlatform platform;
    Copy copy;
    LinkState link;
    RecordingCommandSink commands;
    RecordingFeedback feedback;
    QWidget parent;
    AppContext context;
};
