// Preview mode: a snapshot read from a fixture file, with no host and nothing sent.
#include "app/AppDelegate.h"

#include "model/SnapshotReading.h"
#include "ui/StatusRow.h"
#include "ui/Theme.h"

#include <QFile>
#include <QJsonDocument>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>

namespace {

// Fixtures are small hand-written files; a cap keeps a wrong path (a device, a huge log) from stalling the start.
constexpr qint64 kFixtureByteLimit = 64 * 1024 * 1024;

std::optional<QJsonObject> readFixture(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray bytes = file.read(kFixtureByteLimit + 1);
    if (bytes.size() > kFixtureByteLimit) {
        return std::nullopt;
    }
    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    if (!document.isObject()) {
        return std::nullopt;
    }
    return document.object();
}

} // namespace

void AppDelegate::loadFixture(const QString& path) {
    for (StatusRow* row : {accountRow, connectionRow, codexRow, claudeRow}) {
        row->action()->setEnabled(false);
    }
    for (QPushButton* button : {webButton, copyButton, refreshButton, updateButton}) {
        button->setEnabled(false);
    }
    setFooterText(copy.text("プレビュー用データ", "Preview data"));

    const std::optional<QJsonObject> fixture = readFixture(path);
    if (!fixture) {
        renderDisconnected(copy.text("プレビュー用データを読み込めません", "Could not load preview data"));
        return;
    }
    if (const std::optional<QString> appearance = stringAt(*fixture, u"appearance")) {
        setWindowAppearance(window, *appearance == u"light" ? Appearance::light : Appearance::dark);
    }
    if (const std::optional<QString> session = stringAt(*fixture, u"fixtureSelectedSession")) {
        selectedSessionIdentity = *session;
    }
    if (boolAt(*fixture, u"fixtureDetailsOpen")) {
        deliveryDetailsOpen = true;
        if (deliveryDetailsGroup) {
            deliveryDetailsGroup->show();
        }
        if (deliveryDetailsToggle) {
            deliveryDetailsToggle->setText(copy.text("詳細を隠す", "Hide details"));
            deliveryDetailsToggle->adjustSize();
        }
    }
    const QJsonValue status = fixture->value(u"status");
    render(status.isObject() ? status.toObject() : *fixture);
}
