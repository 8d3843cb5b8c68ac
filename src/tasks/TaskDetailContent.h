#pragma once

#include "ui/Copy.h"
#include "ui/Theme.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

// What a task detail record decides on its own: the cards, the body sections, the link buttons and the
// fingerprint that tells whether the body must be drawn again. The host's texts are shown as written.

// The three show-more switches of the detail.
struct TaskDetailSwitches {
    bool fullResult = false;
    bool allCriteria = false;
    bool technical = false;
};

struct TaskSection {
    QString heading; // may be empty (the excerpt note)
    QString text;
    friend bool operator==(const TaskSection&, const TaskSection&) = default;
};

struct TaskCard {
    QString heading;
    QStringList rows;
    ThemeColor tint;
    ThemeColor fill;
};

struct TaskLink {
    QUrl url;
    QString title;
};

// One paragraph of plain text from Markdown: link texts kept, markers dropped, white space folded, at most 240
// characters and then "…".
QString plainPreview(const QString& text);

// Only web addresses with a host and without user name or password; anything else is absent.
std::optional<QUrl> safeTaskURL(const QString& text);

// List state and label, the switches and the detail itself: equal fingerprints draw the same body.
QString taskDetailFingerprint(const QString& state, const QString& label, const TaskDetailSwitches& switches,
                              const QJsonObject& detail);

QList<TaskCard> taskDetailCards(const QJsonObject& detail, const QString& state, const Copy& copy);
QList<TaskSection> taskDetailSections(const QJsonObject& detail, const QString& label,
                                      const TaskDetailSwitches& switches, const Copy& copy);
QList<TaskLink> taskDetailLinks(const QJsonObject& detail);

// Which switches have anything to show.
bool hasTaskResult(const QJsonObject& detail);
bool hasTaskCriteria(const QJsonObject& detail);
bool hasTaskTechnicalDetails(const QJsonObject& detail);

// A section's text before it is parsed: trimmed, Windows line ends made plain, heading markers removed.
QString cleanSectionText(const QString& text);

// The strings of an array, skipping anything else in it.
QStringList stringsAt(const QJsonObject& record, QStringView key);
