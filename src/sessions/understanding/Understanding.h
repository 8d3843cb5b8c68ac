#pragma once

#include "ui/Copy.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What the service has understood of the conversation behind a managed run, as the understanding panel shows it,
// and the answer to its clarification question. `session` is the conversation with the run's provider and session
// id, or an empty object.

struct UnderstandingSource {
    QString label;
    QString snippet;
    friend bool operator==(const UnderstandingSource&, const UnderstandingSource&) = default;
};

// Each work list shows at most this many items: a host may report any number, and each costs a view.
inline constexpr qsizetype kUnderstandingItemLimit = 50;

struct UnderstandingPresentation {
    bool visible = false; // the panel, its progress group and its evidence; nothing else applies when false
    QString heading;
    QString goal;                       // at most three lines, also the tool tip; hidden when empty
    QList<UnderstandingSource> sources; // at most three; the rows are hidden when empty
    QStringList done;                   // at most kUnderstandingItemLimit each
    QStringList remaining;
    QStringList progressItems; // the first two done items, each with a check mark
    bool progressGroupVisible = false;
    bool workGridVisible = false;
    QString next; // hidden when empty
    QString question;
    bool questionVisible = false;
    QString answerIdentity; // when it differs from the one shown last, the typed answer is emptied
    bool answerRowVisible = false;
    bool answerEnabled = false;
};

// The objective the panel works toward: the understanding's, else the conversation's own goal, else the run's.
std::optional<QString> understandingObjective(const QJsonObject& run, const QJsonObject& session);
// Something to show: an understanding, an open question or an objective.
bool understandingVisible(const QJsonObject& run, const QJsonObject& session);
// Label of a quoted snippet by its kind ("source", else "role", else "context").
QString understandingSourceLabel(const QString& kind, const Copy& copy);
// The run's "taskId", "|" and its open question's "id".
QString answerQuestionIdentity(const QJsonObject& run);

UnderstandingPresentation understandingPresentation(const QJsonObject& run, const QJsonObject& session,
                                                    bool fixtureMode, bool connected, const Copy& copy);

// Answering the clarification question ("session_answer").
inline constexpr int kAnswerLimit = 2000; // user-perceived characters

struct SessionAnswer {
    enum class Outcome { ignored, refused, send };
    Outcome outcome = Outcome::ignored;
    QString message;    // refused: the feedback line
    QJsonObject fields; // send: "provider", "session", "taskId", "questionId", "answer"
};
SessionAnswer sessionAnswer(const QJsonObject& run, const QString& typed, bool fixtureMode, bool connected,
                            const Copy& copy);
QString sessionAnswerSendingText(const Copy& copy);
// `message` is the result's own text, already made safe.
QString sessionAnswerResultText(bool ok, const std::optional<QString>& message, const Copy& copy);
