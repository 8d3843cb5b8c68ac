#include "OverviewArea.h"

#include "ui/ConnectionButton.h"
#include "ui/StatusRow.h"
#include "ui/ThemedLabel.h"

#include <QJsonDocument>
#include <QLabel>
#include <QPushButton>

OverviewArea::OverviewArea(const QStringList& languages) : area(languages) {
    overview.buildConnectionSummary(&area.parent);
    overview.buildWebButton(&area.parent);
    overview.buildStatusPanel(&area.parent, new QWidget, new QWidget);
    overview.buildStatusItem();
    area.parent.resize(800, 600);
    QObject::connect(&overview, &OverviewController::showWindowRequested, &area.parent, [this] { area.parent.show(); });
}

void OverviewArea::render(const QJsonObject& status) {
    overview.renderSetupAndHooks(status);
    overview.renderAccount(status);
    overview.renderSummary(status);
}

// Raw strings must not hold "//" (moc misreads them): LINK stands for the workspace address.
void OverviewArea::render(QString json) {
    render(QJsonDocument::fromJson(json.replace(QStringLiteral("LINK"), QStringLiteral("https://app.vodu.ai")).toUtf8())
               .object());
}

QLabel* OverviewArea::label(const char* name) const {
    return area.view<QLabel>(name);
}

QPushButton* OverviewArea::button(const char* name) const {
    return area.view<QPushButton>(name);
}

StatusRow* OverviewArea::row(const char* name) const {
    return area.view<StatusRow>(name);
}

QString OverviewArea::detail(const char* name) const {
    return row(name)->detail()->text();
}

QString OverviewArea::summary() const {
    return area.view<ConnectionButton>("connectionSummary")->text();
}
