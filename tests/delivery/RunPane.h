#pragma once

#include "AreaHarness.h"
#include "TestData.h"
#include "delivery/DeliveryController.h"
#include "sessions/association/ActionAssociationArea.h"
#include "sessions/conversation/SessionsController.h"
#include "sessions/home/SupervisionHome.h"
#include "sessions/home/SupervisionModel.h"
#include "sessions/original/OriginalNavigation.h"
#include "sessions/understanding/UnderstandingPanel.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QJsonArray>
#include <QLabel>

// A command as "action field=value ...", without the run's address.
inline QString commandLine(const QString& action, QJsonObject fields) {
    for (const char* address : {"provider", "session", "taskId"})
        fields.remove(address);
    QString line = action;
    for (auto field = fields.begin(); field != fields.end(); ++field)
        line += u' ' + field.key() + u'=' + field.value().toString();
    return line;
}

// A managed Codex run, "codex|s1|t1"; `extra` adds or replaces keys.
inline QJsonObject run(const char* extra = "{}") {
    QJsonObject record = json(R"({"provider":"codex","session":"s1","taskId":"t1","managed":true,"objective":"Ship"})");
    const QJsonObject more = json(extra);
    for (auto it = more.begin(); it != more.end(); ++it)
        record.insert(it.key(), it.value());
    return record;
}

inline const char* const kApproval = R"({"state":"blocked","canApprove":true,"canReject":true,"canStop":true,
    "pendingApproval":{"id":"a1","summary":"Deploy 1.8.3","scope":"Staging"}})";
inline const char* const kPaused = R"({"state":"paused","canResume":true,"canReplan":true,"canPause":true})";
inline const char* const kDependency = R"({"state":"blocked","canResolveDependency":true,
    "dependencyWait":{"id":"w1","condition":"Quota raised"}})";
inline const char* const kVerification = R"({"state":"verification_pending","verification":{"pending":["c1","c2","c3"]},
    "acceptanceCriteria":[{"id":"c1","description":"Docs reviewed","check":{"type":"manual"}},
        {"id":"c2","check":{"type":"file_exists"}},{"id":"c3","description":"Charts checked","check":{"type":"manual"}}]})";

// The run area of the Sessions home with the run picker and the conversations that own the selection, on AreaHarness.
struct RunPane {
    RunPane()
        : home(area.copy), understanding(area.context, model), association(area.context, model),
          original(area.context, model, home), delivery(area.context, model, home),
          sessions(area.context, model, home, delivery, understanding, association, original) {
        area.link.connected = true;
        sessions.buildSessionList(&area.parent);
        home.build(&area.parent);
        understanding.build(home.runCompanions());
        association.build(home.runCompanions());
        sessions.buildSessionPane();
        delivery.buildPicker()->setParent(&area.parent);
        QObject::connect(&delivery, &DeliveryController::runChosen, &sessions, &SessionsController::selectRun);
        QObject::connect(&delivery, &DeliveryController::homeChanged, &sessions,
                         &SessionsController::renderSelectedSession);
        QObject::connect(&delivery, &DeliveryController::feedbackChanged, &sessions, &SessionsController::showFeedback);
    }

    // A snapshot's runs (each with a stand-in conversation), then the run at `index` chosen in the picker (-1: none).
    void show(const QJsonArray& runs, int index = -1) {
        delivery.renderDeliveryRuns(runs);
        sessions.renderSessionSupervision(QJsonObject{{"sessionSupervision", QJsonObject{{"sessions", QJsonArray()}}}});
        if (index >= 0)
            pick(index);
    }
    void pick(int index) {
        auto* picker = view<QComboBox>("deliveryPicker");
        picker->setCurrentIndex(index);
        Q_EMIT picker->activated(index);
    }
    void click(const char* name) { view<QAbstractButton>(name)->click(); }

    QString text(const char* name) const {
        auto* label = view<QLabel>(name);
        return label ? label->text() : view<QAbstractButton>(name)->text();
    }
    bool visible(const char* name) const { return view<QWidget>(name)->isVisibleTo(&area.parent); }
    template <typename T> T* view(const char* name) const { return area.view<T>(name); }
    QString sent(qsizetype index = 0) const {
        const auto& commands = area.commands.commands;
        return index < commands.size() ? commandLine(commands[index].action, commands[index].fields) : QString();
    }

    AreaHarness area;
    SupervisionModel model;
    SupervisionHome home;
    UnderstandingPanel understanding;
    ActionAssociationArea association;
    OriginalNavigation original;
    DeliveryController delivery;
    SessionsController sessions;
};
