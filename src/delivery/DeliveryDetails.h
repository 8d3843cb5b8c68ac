#pragma once

#include "ui/Copy.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>

#include <optional>

// The run's details tabs as a value: Plan (0, and any index but 1 and 2), Activity (1) and Evidence (2). Each tab
// is a list of titled sections; a section holds cards (an option, an entry, a criterion, or a line of text).

struct DetailFact {
    QString label;
    QString value;
    friend bool operator==(const DetailFact&, const DetailFact&) = default;
};

struct DetailCard {
    QString title;           // may be empty (a decision without an action summary)
    bool emphasised = false; // option titles are set in medium weight
    bool ruleBefore = false; // options are separated by a horizontal rule
    QList<DetailFact> facts;
    QList<DetailFact> facets; // assessment facets, drawn as one group ("delivery-assessment-facets")
    QList<DetailFact> closingFacts;
};

struct DetailSection {
    QString title;
    QList<DetailCard> cards;
    qsizetype omitted = 0; // elements past the limit below, told in one line instead of shown
};

// A section shows at most this many cards, the first ones in the host's order (the newest, for a history): a host
// may send any number of entries, and each costs views.
inline constexpr qsizetype kDetailCardLimit = 30;

enum class DeliveryDetailsTab { plan = 0, activity = 1, evidence = 2 };
DeliveryDetailsTab deliveryDetailsTab(int index);

// Sections of one tab; a tab with nothing of its own holds its fallback section.
QList<DetailSection> deliveryDetails(const QJsonObject& run, int tabIndex, const Copy& copy);

// The value word of a flag or a string; absent for anything else and for blank strings.
std::optional<QString> detailValue(const QJsonValue& value, const Copy& copy);
// The facets of an assessment present in it, in their fixed order.
QList<DetailFact> detailAssessment(const QJsonObject& assessment, const Copy& copy);
// The action's "summary", else its "scope", masked and cut.
std::optional<QString> detailActionSummary(const QJsonObject& action);
