#include "RunPane.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>

RunPane::RunPane(const QStringList& languages)
    : area(languages), home(area.copy), understanding(area.context, model), association(area.context, model),
      delivery(area.context, model, home, understanding, association) {
    area.link.connected = true;
    home.build(&area.parent);
    understanding.build(home.runCompanions());
    association.build(home.runCompanions());
    delivery.buildPicker()->setParent(&area.parent);
    QObject::connect(&understanding, &UnderstandingPanel::actionMessageChanged, &home,
                     &SupervisionHome::setActionMessage);
}

void RunPane::show(const QList<QJsonObject>& runs, int index) {
    QJsonArray array;
    for (const QJsonObject& run : runs) {
        array.append(run);
    }
    delivery.renderDeliveryRuns(array);
    pick(index);
}

void RunPane::refresh(const QList<QJsonObject>& runs) {
    QJsonArray array;
    for (const QJsonObject& run : runs) {
        array.append(run);
    }
    delivery.renderDeliveryRuns(array);
    delivery.renderSelectedDeliveryRun();
}

void RunPane::pick(int index) {
    auto* picker = view<QComboBox>("deliveryPicker");
    picker->setCurrentIndex(index);
    Q_EMIT picker->activated(index);
}

void RunPane::click(const char* name) {
    view<QAbstractButton>(name)->click();
}

QString RunPane::text(const char* name) const {
    if (auto* label = view<QLabel>(name)) {
        return label->text();
    }
    if (auto* button = view<QAbstractButton>(name)) {
        return button->text();
    }
    return QStringLiteral("<no view %1>").arg(QLatin1String(name));
}

bool RunPane::visible(const char* name) const {
    const QWidget* widget = view<QWidget>(name);
    return widget && widget->isVisibleTo(&area.parent);
}

bool RunPane::enabled(const char* name) const {
    const QWidget* widget = view<QWidget>(name);
    return widget && widget->isEnabled();
}

QJsonObject runRecord(const char* base, const char* extra) {
    QJsonObject record = QJsonDocument::fromJson(base).object();
    const QJsonObject more = QJsonDocument::fromJson(extra).object();
    for (auto it = more.begin(); it != more.end(); ++it) {
        record.insert(it.key(), it.value());
    }
    return record;
}
