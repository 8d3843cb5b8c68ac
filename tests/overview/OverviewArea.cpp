#include "OverviewArea.h"

#include "TestData.h"
#include "ui/ConnectionButton.h"
#include "ui/StatusRow.h"
#include "ui/ThemedLabel.h"

#include <QLabel>
#include <QPushButton>

OverviewArea::OverviewArea(const QStringList& languages) : AreaHarness(languages) {
    overview.buildConnectionSummary(&parent);
    overview.buildWebButton(&parent);
    overview.buildStatusPanel(&parent, new QWidget, new QWidget);
    overview.buildStatusItem();
    parent.resize(800, 600);
    QObject::connect(&overview, &OverviewController::showWindowRequested, &parent, [this] { parent.show(); });
}

void OverviewArea::render(QString json) {
    const QJsonObject status = ::json(json.replace(QStringLiteral("LINK"), QStringLiteral("https://app.vodu.ai")));
    overview.renderSetupAndHooks(status);
    overview.renderAccount(status);
    overview.renderSummary(status);
}

QLabel* OverviewArea::label(const char* name) const {
    return view<QLabel>(name);
}

QPushButton* OverviewArea::button(const char* name) const {
    return view<QPushButton>(name);
}

StatusRow* OverviewArea::row(const char* name) const {
    return view<StatusRow>(name);
}

QString OverviewArea::detail(const char* name) const {
    return row(name)->detail()->text();
}

QString OverviewArea::summary() const {
    return view<ConnectionButton>("connectionSummary")->text();
}
