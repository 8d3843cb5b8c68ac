// The association line under a conversation or run, its picker sheet and the deadline box with its review sheet.
// A change in flight survives redraws of the same record; drawing another record forgets it, so a late answer for
// the record the user left is ignored.
#include "sessions/association/ActionAssociationArea.h"

#include "context/AppContext.h"
#include "model/RecordIdentity.h"
#include "model/SnapshotReading.h"
#include "sessions/home/HomeSelection.h"
#include "ui/FlatButtons.h"
#include "ui/StatusPanel.h"
#include "ui/Surfaces.h"
#include "ui/ThemedLabel.h"
#include "ui/ViewFactory.h"

#include <QComboBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QJsonArray>
#include <QRadioButton>
#include <QTimer>
#include <QUuid>
#include <QVBoxLayout>

namespace {

QString newRequestId() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

} // namespace

ActionAssociationArea::ActionAssociationArea(AppContext& context, SupervisionModel& model, QObject* parent)
    : QObject(parent), m_context(context), m_model(model) {}

void ActionAssociationArea::build(QWidget* parent) {
    const Copy& copy = m_context.copy;
    m_area = named(new QWidget(parent), "actionAssociationArea");
    auto* column = new QVBoxLayout(m_area);
    column->setContentsMargins(0, 16, 0, 0);
    column->setSpacing(10);

    m_group = named(new QWidget(m_area), "actionAssociationGroup");
    auto* line = new QHBoxLayout(m_group);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(10);
    m_label = themedLabel(m_group, "actionAssociationLabel", Theme::secondary, 13, QFont::Medium, false);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setElided(true);
    m_toggle =
        named(new FlatOutlineButton(copy.text("Action を接続", "Link Action"), m_group), "actionAssociationToggle");
    m_toggle->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    line->addWidget(m_label, 1);
    line->addWidget(m_toggle);
    column->addWidget(m_group);

    m_deadlineGroup =
        named(new RoundedBox(Theme::attentionFill, Theme::attentionBorder, 10, m_area), "actionDeadlineGroup");
    auto* box = new QHBoxLayout(m_deadlineGroup);
    box->setContentsMargins(14, 12, 14, 12);
    box->setSpacing(12);
    auto* texts = new QVBoxLayout();
    texts->setSpacing(4);
    m_deadlineTitle = themedLabel(m_deadlineGroup, "actionDeadlineTitle", Theme::attentionInk, 13, QFont::DemiBold);
    m_deadlineSummary = themedLabel(m_deadlineGroup, "actionDeadlineSummary", Theme::text, 13);
    m_deadlineSummary->setTextFormat(Qt::PlainText);
    m_deadlineSummary->setMaximumLines(2);
    texts->addWidget(m_deadlineTitle);
    texts->addWidget(m_deadlineSummary);
    m_deadlineReview = named(new FlatOutlineButton(copy.text("進め方を確認", "Review deadline"), m_deadlineGroup),
                             "actionDeadlineReview");
    m_deadlineReview->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    box->addLayout(texts, 1);
    box->addWidget(m_deadlineReview, 0, Qt::AlignVCenter);
    column->addWidget(m_deadlineGroup);
    parent->layout()->addWidget(m_area);

    QWidget* window = m_context.window ? m_context.window.data() : parent->window();
    m_panel = buildAssociationPanel(window, copy);
    m_panel.panel->setCloseHandler([this] { closeAssociationPanel(); });
    m_panel.controls->hide();
    m_sheet = buildDeadlineReviewSheet(window, copy);
    m_sheet.panel->setCloseHandler([this] { closeDeadlineReview(); });

    connect(m_toggle, &QPushButton::clicked, this, &ActionAssociationArea::toggleActionAssociation);
    connect(m_panel.select, &QPushButton::clicked, this, &ActionAssociationArea::selectActionAssociation);
    connect(m_panel.unlink, &QPushButton::clicked, this, &ActionAssociationArea::unlinkActionAssociation);
    connect(m_panel.refresh, &QPushButton::clicked, this, &ActionAssociationArea::refreshActionAssociation);
    connect(m_panel.cancel, &QPushButton::clicked, this, &ActionAssociationArea::closeAssociationPanel);
    // Choosing a draft only re-evaluates the buttons.
    connect(m_panel.picker, &QComboBox::currentIndexChanged, this,
            [this] { applyAssociationControls(associationPresentation(m_record, m_context.copy)); });
    connect(m_deadlineReview, &QPushButton::clicked, this, &ActionAssociationArea::openDeadlineReview);
    connect(m_sheet.save, &QPushButton::clicked, this, &ActionAssociationArea::saveDeadlineDecision);
    connect(m_sheet.cancel, &QPushButton::clicked, this, &ActionAssociationArea::closeDeadlineReview);
    m_area->hide();
}

bool ActionAssociationArea::deadlineOpen() const {
    return m_sheet.panel && m_sheet.panel->isVisible();
}

void ActionAssociationArea::renderActionAssociation(const QJsonObject& record) {
    const QString identity = deliveryIdentity(record);
    if (identity != m_identity) {
        m_associationRequest.reset();
        m_associationInFlight = false;
        m_deadlineRequest.reset();
        m_deadlineInFlight = false;
        m_deadlineDraftRequest.reset(); // a request id belongs to one record's decision
        endDeadlineReview();
        endAssociationPanel();
        m_identity = identity;
    }
    m_record = record;
    if (!m_area) {
        return;
    }
    const AssociationPresentation p = associationPresentation(record, m_context.copy);
    m_area->setVisible(p.visible);
    m_label->setText(p.label);
    m_label->setToolTip(plainToolTip(p.label));
    m_label->setColor(p.labelColor);
    m_toggle->setText(p.toggleTitle);
    if (!m_associationOpen) {
        // Refilled only when the list changed; a draft left from an earlier look goes back to the linked Action.
        // Masking thousands of titles on every snapshot would be wasted: the list is read again only when it changed.
        const QJsonObject association = objectAt(record, u"actionAssociation");
        const QJsonArray source = p.unavailable ? QJsonArray() : arrayAt(association, u"candidates");
        if (source != m_pickerSource || m_panel.picker->count() == 0) {
            fillAssociationPicker(m_panel.picker, associationPickerItems(record), p.linkedActionId, m_context.copy);
            m_pickerSource = source;
        } else {
            const int linked =
                p.linkedActionId.isEmpty() ? -1 : m_panel.picker->findData(p.linkedActionId, Qt::UserRole);
            m_panel.picker->setCurrentIndex(linked > 0 ? linked : 0);
        }
    }
    m_panel.controls->setVisible(m_associationOpen);
    applyAssociationControls(p);
    renderActionDeadline(record);
}

void ActionAssociationArea::applyAssociationControls(const AssociationPresentation& p) {
    if (!m_area) {
        return;
    }
    const QVariant value = m_panel.picker->currentData(Qt::UserRole);
    const AssociationControls enabled =
        associationControls(p, {.inFlight = m_associationInFlight,
                                .connected = m_context.link.connected,
                                .preview = m_context.link.fixtureMode,
                                .pickerHasValue = value.isValid() && value.typeId() == QMetaType::QString});
    m_panel.select->setEnabled(enabled.save);
    m_panel.unlink->setEnabled(enabled.unlink);
    m_panel.refresh->setEnabled(enabled.refresh);
    m_panel.cancel->setEnabled(enabled.cancel);
    m_panel.picker->setEnabled(enabled.cancel);
    m_toggle->setEnabled(enabled.cancel);
    m_panel.select->setText(associationSaveTitle(m_associationInFlight, m_context.copy));
}

bool ActionAssociationArea::sheetIsAttached() const {
    return ::sheetIsAttached(m_context.window);
}

void ActionAssociationArea::toggleActionAssociation() {
    if (!m_area || sheetIsAttached() || m_associationInFlight) {
        return;
    }
    if (associationPresentation(m_record, m_context.copy).signedOut) {
        Q_EMIT connectionSettingsRequested();
        return;
    }
    renderActionAssociation(m_record);
    m_review = associationReview(m_record);
    associationFeedback(QString());
    m_associationOpen = true;
    m_panel.controls->show();
    applyAssociationControls(associationPresentation(m_record, m_context.copy));
    m_panel.panel->open();
}

void ActionAssociationArea::closeAssociationPanel() {
    if (m_associationInFlight) {
        return;
    }
    endAssociationPanel();
}

void ActionAssociationArea::endAssociationPanel() {
    m_associationOpen = false;
    m_review.reset();
    if (m_panel.panel) {
        m_panel.panel->hide();
        m_panel.controls->hide();
    }
}

void ActionAssociationArea::associationFeedback(const QString& text) {
    if (!m_panel.error) {
        return;
    }
    m_panel.error->setText(text);
    m_panel.error->setAccessibleDescription(text);
    m_panel.error->setHidden(text.isEmpty());
}

void ActionAssociationArea::selectActionAssociation() {
    sendActionAssociation(AssociationCommand::select);
}

void ActionAssociationArea::unlinkActionAssociation() {
    sendActionAssociation(AssociationCommand::unlink);
}

void ActionAssociationArea::refreshActionAssociation() {
    sendActionAssociation(AssociationCommand::refresh);
}

void ActionAssociationArea::sendActionAssociation(AssociationCommand command) {
    const Copy& copy = m_context.copy;
    const bool preview = m_context.link.fixtureMode;
    if (m_associationInFlight || (!m_context.link.connected && !preview)) {
        return;
    }
    if (const std::optional<QString> refusal = associationRefusal(m_record, command, copy)) {
        associationFeedback(*refusal);
        return;
    }
    if (command == AssociationCommand::refresh && preview) {
        return;
    }
    QString actionId;
    if (command == AssociationCommand::select) {
        const QVariant value = m_panel.picker ? m_panel.picker->currentData(Qt::UserRole) : QVariant();
        if (!value.isValid() || value.typeId() != QMetaType::QString) {
            return;
        }
        actionId = value.toString();
    }

    if (preview) {
        const QJsonObject association = objectAt(m_record, u"actionAssociation");
        if (m_associationOpen && m_review && associationReview(m_record).bindingRevision != m_review->bindingRevision) {
            associationFeedback(associationPreviewStaleText(copy));
            return;
        }
        std::optional<QJsonObject> candidate;
        if (command == AssociationCommand::select) {
            const QList<QJsonObject> actions =
                m_associationOpen && m_review ? m_review->actions : objectsAt(association, u"candidates");
            for (const QJsonObject& action : actions) {
                if (stringAt(action, u"id") == actionId) {
                    candidate = action;
                    break;
                }
            }
        }
        const QJsonObject next = previewAssociation(association, candidate);
        writeDrawnRecords(QStringLiteral("actionAssociation"), next);
        m_record.insert(QStringLiteral("actionAssociation"), next);
        renderActionAssociation(m_record);
        associationFeedback(associationPreviewUpdatedText(copy));
        return;
    }

    const QJsonObject fields =
        associationFields(m_record, m_associationOpen ? m_review : std::nullopt, command, actionId);
    const QString request = newRequestId();
    const QString identity = m_identity;
    const QString subject = feedbackSubject(m_model);
    m_associationRequest = request;
    m_associationInFlight = true;
    associationFeedback(associationSavingText(copy));
    renderActionAssociation(m_record);
    startWaitingNotice(m_associationNotice, [this, request] {
        if (m_associationInFlight && m_associationRequest == request) {
            associationFeedback(associationWaitingText(m_context.copy));
        }
    });
    const QPointer<ActionAssociationArea> self(this);
    m_context.commands.send(associationAction(command), false, std::nullopt, fields,
                            [self, request, identity, subject](bool ok, const std::optional<QString>& message) {
                                if (self) {
                                    self->associationAnswered(request, identity, subject, ok, message);
                                }
                            });
}

void ActionAssociationArea::associationAnswered(const QString& request, const QString& identity, const QString& subject,
                                                bool ok, const std::optional<QString>& message) {
    if (m_associationRequest != request || m_identity != identity) {
        return; // another request, or the user has moved on to another record
    }
    m_associationRequest.reset();
    m_associationInFlight = false;
    if (ok) {
        endAssociationPanel();
        Q_EMIT feedbackChanged(subject, associationUpdatedText(m_context.copy), false);
    } else {
        associationFeedback(associationFailedText(message, m_context.copy));
    }
    renderActionAssociation(m_record);
    m_context.commands.send(QStringLiteral("refresh"));
}

void ActionAssociationArea::startWaitingNotice(QPointer<QTimer>& timer, std::function<void()> notice) {
    delete timer.data();
    auto* next = new QTimer(this);
    next->setSingleShot(true);
    next->setInterval(m_waitingNoticeInterval);
    connect(next, &QTimer::timeout, this, [next, notice = std::move(notice)] {
        next->deleteLater();
        notice();
    });
    timer = next;
    next->start();
}

void ActionAssociationArea::writeDrawnRecords(const QString& key, const QJsonValue& value) {
    for (QList<QJsonObject>* records : {&m_model.sessionCandidates, &m_model.deliveryRuns}) {
        for (QJsonObject& record : *records) {
            if (deliveryIdentity(record) == m_identity) {
                record.insert(key, value);
            }
        }
    }
}

// Deadline.

void ActionAssociationArea::renderActionDeadline(const QJsonObject& record) {
    const DeadlineBox box =
        deadlineBox(record, m_deadlineInFlight, m_context.link.connected || m_context.link.fixtureMode, m_context.copy);
    m_deadlineGroup->setVisible(box.visible);
    if (!box.visible) {
        return;
    }
    m_deadlineGroup->setColors(box.fill, box.outline);
    m_deadlineTitle->setText(box.title);
    m_deadlineTitle->setColor(box.titleColor);
    m_deadlineSummary->setText(box.summary);
    m_deadlineSummary->setToolTip(plainToolTip(box.summary));
    m_deadlineReview->setText(box.buttonTitle);
    m_deadlineReview->setEnabled(box.buttonEnabled);
}

void ActionAssociationArea::openDeadlineReview() {
    if (!m_area || sheetIsAttached() || m_deadlineInFlight) {
        return;
    }
    const QJsonValue deadline = m_record.value(u"actionDeadline");
    if (!deadline.isObject() || !deadline.toObject().value(u"reminder").isObject()) {
        return;
    }
    m_deadlineSnapshot = deadline.toObject();
    const DeadlineReview review = deadlineReview(m_deadlineSnapshot, m_context.copy);
    m_deadlineChoice = review.choice;
    m_sheet.work->setText(review.work);
    m_sheet.blocker->setText(review.blocker.value_or(QString()));
    m_sheet.blocker->setHidden(!review.blocker);
    fillDeadlineOptions(m_sheet, review.options, m_deadlineChoice);
    for (QRadioButton* radio : m_sheet.radios) {
        connect(radio, &QRadioButton::clicked, this,
                [this, radio] { chooseDeadlineOption(radio->property("optionId").toString()); });
    }
    deadlineFeedback(QString());
    setDeadlineSaving(false);
    m_sheet.panel->open();
}

void ActionAssociationArea::chooseDeadlineOption(const QString& optionId) {
    if (m_deadlineInFlight) {
        return;
    }
    m_deadlineChoice = optionId;
    m_deadlineDraftRequest.reset(); // another choice is another request
    for (QRadioButton* radio : m_sheet.radios) {
        radio->setChecked(radio->property("optionId").toString() == optionId);
    }
    m_sheet.save->setEnabled(!m_deadlineChoice.isEmpty());
}

void ActionAssociationArea::saveDeadlineDecision() {
    if (m_deadlineInFlight || !deadlineSavable(m_record, m_deadlineSnapshot, m_deadlineChoice)) {
        return;
    }
    const bool preview = m_context.link.fixtureMode;
    if (!preview && !m_context.link.connected) {
        return;
    }
    // A retry of the same choice for the same reminder keeps its id; the host answers a repeated id as it did.
    const QJsonObject reminder = deadlineReminderTag(m_deadlineSnapshot);
    if (!m_deadlineDraftRequest || m_deadlineDraftReminder != reminder) {
        m_deadlineDraftRequest = newRequestId();
        m_deadlineDraftReminder = reminder;
    }
    const QString request = *m_deadlineDraftRequest;
    if (preview) {
        m_deadlineDraftRequest.reset();
        const QJsonObject next = previewDeadline(objectAt(m_record, u"actionDeadline"), request, m_deadlineChoice);
        writeDrawnRecords(QStringLiteral("actionDeadline"), next);
        m_record.insert(QStringLiteral("actionDeadline"), next);
        endDeadlineReview();
        renderActionDeadline(m_record);
        return;
    }
    const QJsonObject fields = deadlineFields(m_record, m_deadlineSnapshot, request, m_deadlineChoice);
    const QString identity = m_identity;
    m_deadlineRequest = request;
    m_deadlineInFlight = true;
    setDeadlineSaving(true);
    renderActionDeadline(m_record);
    startWaitingNotice(m_deadlineNotice, [this, request] {
        if (m_deadlineInFlight && m_deadlineRequest == request) {
            deadlineFeedback(associationWaitingText(m_context.copy));
        }
    });
    const QPointer<ActionAssociationArea> self(this);
    m_context.commands.send(QStringLiteral("session_deadline_decide"), false, std::nullopt, fields,
                            [self, request, identity](bool ok, const std::optional<QString>& message) {
                                if (self) {
                                    self->deadlineAnswered(request, identity, ok, message);
                                }
                            });
}

void ActionAssociationArea::deadlineAnswered(const QString& request, const QString& identity, bool ok,
                                             const std::optional<QString>& message) {
    if (m_deadlineRequest != request || m_identity != identity) {
        return;
    }
    m_deadlineRequest.reset();
    m_deadlineInFlight = false;
    setDeadlineSaving(false);
    if (ok) {
        m_deadlineDraftRequest.reset(); // saved: the next decision is a new request
        endDeadlineReview();
    } else {
        deadlineFeedback(deadlineFailedText(message, m_context.copy));
    }
    renderActionDeadline(m_record);
}

void ActionAssociationArea::setDeadlineSaving(bool saving) {
    m_sheet.save->setText(deadlineSaveTitle(saving, m_context.copy));
    m_sheet.save->setEnabled(!saving && !m_deadlineChoice.isEmpty());
    m_sheet.cancel->setEnabled(!saving);
    for (QRadioButton* radio : m_sheet.radios) {
        radio->setEnabled(!saving);
    }
}

void ActionAssociationArea::deadlineFeedback(const QString& text) {
    m_sheet.feedback->setText(text);
    m_sheet.feedback->setAccessibleDescription(text);
    m_sheet.feedback->setHidden(text.isEmpty());
}

void ActionAssociationArea::closeDeadlineReview() {
    if (m_deadlineInFlight) {
        return;
    }
    endDeadlineReview();
}

void ActionAssociationArea::endDeadlineReview() {
    if (m_sheet.panel) {
        m_sheet.panel->hide();
    }
}
