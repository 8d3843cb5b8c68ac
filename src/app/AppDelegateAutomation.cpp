// The automation mirror: started only when VODU_AUTOMATION_DIR names a folder.
#include "app/AppDelegate.h"

#include "app/AutomationOutput.h"
#include "platform/Platform.h"

#include <QDialog>
#include <QMainWindow>
#include <QMenu>
#include <QSystemTrayIcon>

void AppDelegate::startAutomationOutput() {
    const std::optional<QString> directory = platform().environmentValue(QStringLiteral("VODU_AUTOMATION_DIR"));
    if (!directory || directory->isEmpty() || m_automationOutput) {
        return;
    }
    const QPointer<AppDelegate> self(this);
    m_automationOutput = new AutomationOutput(
        *directory,
        [self]() -> AutomationOutput::Sources {
            if (!self) {
                return {};
            }
            return {self->window.data(), self->statusPanel.data(), self->statusMenu, self->statusItem};
        },
        this);
}
