// The update row: what it shows after every snapshot, what its button does, and the launch-time install error.
#include "update/UpdateController.h"

#include "context/AppContext.h"
#include "overview/OverviewDecisions.h"
#include "platform/Platform.h"
#include "ui/Copy.h"
#include "ui/FlatButtons.h"
#include "ui/Theme.h"
#include "ui/ThemedLabel.h"
#include "ui/ViewFactory.h"
#include "update/MacAppUpdate.h"
#include "update/UpdateRow.h"

#include <QTimer>

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {

ThemeColor dotColor(UpdateDot dot) {
    switch (dot) {
    case UpdateDot::red:
        return Theme::systemRed;
    case UpdateDot::orange:
        return Theme::systemOrange;
    case UpdateDot::green:
        return Theme::systemGreen;
    case UpdateDot::blue:
        return Theme::accent; // the theme's blue
    case UpdateDot::grey:
        break;
    }
    return Theme::tertiaryLabel;
}

} // namespace

UpdateController::UpdateController(AppContext& context, const std::optional<QString>& desktopInstallError,
                                   QObject* parent)
    : QObject(parent), m_context(context), m_desktopInstallError(desktopInstallError) {}

QWidget* UpdateController::buildUpdateRow() {
    auto* updateRow = new QWidget();
    auto* updateLayout = new QHBoxLayout(updateRow);
    updateLayout->setContentsMargins(0, 0, 0, 0);
    updateLayout->setSpacing(10);
    m_updateDot = named(new ThemedLabel(Theme::tertiaryLabel, updateRow), "updateDot");
    m_updateDot->setText(QStringLiteral("●"));
    m_updateDot->setSystemFont(9, QFont::Bold);
    m_updateDot->setFixedWidth(12);
    m_updateDot->setAlignment(Qt::AlignCenter);
    m_updateLabel = themedLabel(updateRow, "updateLabel", Theme::text, 13);
    m_updateButton = named(new FlatOutlineButton({}, updateRow), "updateButton");
    connect(m_updateButton, &QPushButton::clicked, this, &UpdateController::updateAction);
    updateLayout->addWidget(m_updateDot);
    updateLayout->addWidget(m_updateLabel, 1);
    updateLayout->addWidget(m_updateButton, 0, Qt::AlignVCenter);
    return updateRow;
}

void UpdateController::renderUpdate(const std::optional<QJsonObject>& update) {
    const LinkState& link = m_context.link;
    if (link.quitInFlight) {
        return; // a restart attempt owns the row until it ends
    }
    UpdateRowFacts facts;
    facts.update = update;
    facts.installError = m_desktopInstallError;
    facts.native = versionLabelText(m_context.platform.bundleString(QStringLiteral("CFBundleShortVersionString")));
    facts.selected = MacAppUpdate::selectedAppVersion(m_context.platform.processEnvironment());
    facts.running = link.runningVersion;
    facts.restartError = m_restartError;
    facts.activeTasks = link.activeTaskCount;
    facts.connected = link.connected;
    facts.fixtureMode = link.fixtureMode;
    const UpdateRowView view = updateRowView(facts, m_context.copy);

    m_updateNeedsRestart = view.needsRestart;
    m_updateCanInstall = view.canInstall;
    if (view.clearRestartError) {
        m_restartError.reset();
    }
    m_updateDot->setColor(dotColor(view.dot));
    m_updateLabel->setText(view.label);
    m_updateButton->setText(view.buttonTitle);
    m_updateButton->setEnabled(view.buttonEnabled);
}

void UpdateController::renderWaiting() {
    m_updateDot->setColor(Theme::tertiaryLabel);
    m_updateLabel->setText(m_context.copy.text("状態を確認中…", "Checking status…"));
    m_updateButton->setText(m_context.copy.text("アップデートを確認", "Check for updates"));
}

void UpdateController::renderUnknown() {
    m_updateDot->setColor(Theme::tertiaryLabel);
    m_updateLabel->setText(m_context.copy.text("状態を確認できません", "Status unknown"));
    m_updateButton->setEnabled(false);
}

void UpdateController::renderUnavailable() {
    m_updateDot->setColor(Theme::tertiaryLabel);
    m_updateLabel->setText(m_context.copy.text("利用できません", "Unavailable"));
    m_updateButton->setEnabled(false);
}

void UpdateController::updateAction() {
    if (m_desktopInstallError) {
        const std::optional<QUrl> page = installerDownloadUrl(
            configuredOrigin(m_context.platform.environmentValue(QStringLiteral("VODU_WEB_ORIGIN")),
                             m_context.platform.environmentValue(QStringLiteral("VODU_API_ORIGIN"))));
        if (page) {
            m_context.platform.openUrl(*page);
        }
        return;
    }
    if (!m_updateNeedsRestart) {
        runAction(m_context, m_updateCanInstall ? QStringLiteral("update") : QStringLiteral("check_update"));
        return;
    }
    restartToUpdate();
}

void UpdateController::showInstallError() {
    renderUpdate(std::nullopt);
    Q_EMIT settingsRequested(2); // App & updates
}

bool UpdateController::restartGuardRunning() const {
    return !m_restartTimer.isNull();
}
