// The update row: what it shows after every snapshot, what its button does, and the launch-time install error.
#include "app/AppDelegate.h"

#include "overview/OverviewDecisions.h"
#include "platform/Platform.h"
#include "ui/Theme.h"
#include "ui/ThemedLabel.h"
#include "update/MacAppUpdate.h"
#include "update/UpdateRow.h"

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

void AppDelegate::renderUpdate(const std::optional<QJsonObject>& update) {
    if (quitInFlight) {
        return; // a restart attempt owns the row until it ends
    }
    UpdateRowFacts facts;
    facts.update = update;
    facts.installError = desktopInstallError;
    facts.native = versionLabelText(platform().bundleString(QStringLiteral("CFBundleShortVersionString")));
    facts.selected = MacAppUpdate::selectedAppVersion(platform().processEnvironment());
    facts.running = runningVersion;
    facts.restartError = restartError;
    facts.activeTasks = activeTaskCount;
    facts.connected = connected;
    facts.fixtureMode = fixtureMode;
    const UpdateRowView view = updateRowView(facts, copy);

    updateNeedsRestart = view.needsRestart;
    updateCanInstall = view.canInstall;
    if (view.clearRestartError) {
        restartError.reset();
    }
    updateDot->setColor(dotColor(view.dot));
    updateLabel->setText(view.label);
    updateButton->setText(view.buttonTitle);
    updateButton->setEnabled(view.buttonEnabled);
}

void AppDelegate::updateAction() {
    if (desktopInstallError) {
        const std::optional<QUrl> page =
            installerDownloadUrl(configuredOrigin(platform().environmentValue(QStringLiteral("VODU_WEB_ORIGIN")),
                                                  platform().environmentValue(QStringLiteral("VODU_API_ORIGIN"))));
        if (page) {
            platform().openUrl(*page);
        }
        return;
    }
    if (!updateNeedsRestart) {
        runAction(updateCanInstall ? QStringLiteral("update") : QStringLiteral("check_update"), false);
        return;
    }
    restartToUpdate();
}

void AppDelegate::wireUpdateRow() {
    if (updateButton) {
        connect(updateButton, &QPushButton::clicked, this, &AppDelegate::updateAction, Qt::UniqueConnection);
    }
}

void AppDelegate::showInstallError() {
    renderUpdate(std::nullopt);
    selectSettingsTab(2); // App & updates
    showStatusPanel();
}
