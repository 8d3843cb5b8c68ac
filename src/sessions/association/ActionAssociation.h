#pragma once

#include "ui/Copy.h"
#include "ui/Theme.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>

#include <optional>

// The link between a conversation (or its run) and a workspace Action, read from the record's "actionAssociation"
// object. Every change carries the revisions the user reviewed; the host decides whether they are still current.

// The picker offers at most this many Actions: a host may list any number, and each costs an item.
inline constexpr qsizetype kAssociationCandidateLimit = 5000;

struct AssociationPickerItem {
    QString title; // masked, one line
    QString id;    // sent back as it arrived
    friend bool operator==(const AssociationPickerItem&, const AssociationPickerItem&) = default;
};

struct AssociationPresentation {
    bool visible = false; // the record names a conversation
    QString label;
    ThemeColor labelColor = Theme::secondary;
    bool titled = false; // an Action is linked (its title is known)
    bool unavailable = false;
    bool locked = false; // "canCorrect" false
    bool signedOut = false;
    QString toggleTitle;
    QString linkedActionId; // empty when none
};

AssociationPresentation associationPresentation(const QJsonObject& record, const Copy& copy);

// The Actions the picker offers (after its "choose" item): none while the workspace cannot be read.
QList<AssociationPickerItem> associationPickerItems(const QJsonObject& record);

// The revisions and Actions the user looked at when the picker opened; a later snapshot does not change them.
struct AssociationReview {
    QJsonValue bindingRevision = QJsonValue::Null;
    QJsonValue contextRevision = QJsonValue::Null;
    QJsonValue candidateRevision = QJsonValue::Null;
    QList<QJsonObject> actions;
};

AssociationReview associationReview(const QJsonObject& record);

struct AssociationControls {
    bool save = false;
    bool unlink = false;
    bool refresh = false;
    bool cancel = false; // also the picker and the area's button
};

struct AssociationControlFacts {
    bool inFlight = false;
    bool connected = false;
    bool preview = false;
    bool pickerHasValue = false;
};

AssociationControls associationControls(const AssociationPresentation& p, const AssociationControlFacts& facts);

enum class AssociationCommand { select, unlink, refresh };
QString associationAction(AssociationCommand command);

// Why the command cannot be asked for now, as the feedback line says it; absent when it may be sent.
std::optional<QString> associationRefusal(const QJsonObject& record, AssociationCommand command, const Copy& copy);

// The command's fields: the record's identity and the expected revisions, from `review` when the picker is open,
// else from the record. Revisions are echoed as they arrived; a missing one is null.
QJsonObject associationFields(const QJsonObject& record, const std::optional<AssociationReview>& review,
                              AssociationCommand command, const QString& actionId = {});

// The preview's local change: the association after selecting `candidate` (or unlinking, with none).
QJsonObject previewAssociation(const QJsonObject& association, const std::optional<QJsonObject>& candidate);

// Texts of the panel and the result.
QString associationSavingText(const Copy& copy);
QString associationWaitingText(const Copy& copy);
QString associationUpdatedText(const Copy& copy);
QString associationFailedText(const std::optional<QString>& message, const Copy& copy);
QString associationPreviewStaleText(const Copy& copy);
QString associationPreviewUpdatedText(const Copy& copy);
QString associationSaveTitle(bool inFlight, const Copy& copy);
