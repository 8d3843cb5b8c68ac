// The overview while no fresh snapshot is at hand: waiting for the first one, a silent host, a lost host.
#include "overview/OverviewController.h"

#include "context/AppContext.h"
#include "ui/ConnectionButton.h"
#include "ui/Copy.h"
#include "ui/StatusRow.h"

#include <QLabel>
#include <QPushButton>

void OverviewController::renderWaiting() {
    const QString checking = m_context.copy.text("状態を確認中…", "Checking status…");
    m_connectionSummary->setText(checking);
    m_connectionSummary->setTone(Tone::busy);
    updateMenuStatus(checking);
    for (StatusRow* row : {m_accountRow, m_codexRow, m_claudeRow}) {
        row->render(checking, Tone::neutral);
        row->action()->hide();
    }
    m_connectionRow->render(checking, Tone::busy);
    m_connectionRow->action()->hide();

    m_serviceLabel->setText(checking);
    m_lastSuccessLabel->setText(m_context.copy.text("接続履歴を確認中…", "Checking connection history…"));
    m_versionLabel->setText(installedVersionText(std::nullopt));
    m_webButton->setEnabled(false);
    m_copyButton->setEnabled(false);
}

void OverviewController::renderStaleSummary() {
    m_connectionSummary->setText(m_context.copy.text("接続を確認してください", "Connection needs attention"));
    m_connectionSummary->setTone(Tone::warning);
}

void OverviewController::renderStale(const QString& message) {
    const Copy& copy = m_context.copy;
    const QString unknown = copy.text("状態を確認できません", "Status unknown");
    for (StatusRow* row : {m_accountRow, m_codexRow, m_claudeRow}) {
        row->render(unknown, Tone::neutral);
        row->action()->hide();
    }
    m_connectionRow->render(message, Tone::warning);
    m_connectionRow->action()->setText(copy.text("再接続", "Reconnect"));
    m_connectionRow->action()->setHidden(m_context.link.fixtureMode);
    m_webButton->setEnabled(false);
    m_copyButton->setEnabled(false);
    m_context.feedback.setFooterText(message);
    updateMenuStatus(message);
}

void OverviewController::renderDisconnected(const QString& message) {
    const Copy& copy = m_context.copy;
    m_connectionSummary->setText(copy.text("未接続 · 詳細を確認", "Not connected · View details"));
    m_connectionSummary->setTone(Tone::bad);
    m_webRoot.reset();

    m_connectionRow->render(message, Tone::bad);
    m_connectionRow->action()->setText(copy.text("サービスを開始", "Start service"));
    m_connectionRow->action()->setHidden(m_context.link.fixtureMode);
    const QString unavailable = copy.text("利用できません", "Unavailable");
    for (StatusRow* row : {m_accountRow, m_claudeRow, m_codexRow}) {
        row->render(unavailable, Tone::neutral);
        row->action()->hide();
    }
    m_serviceLabel->setText(message);
    m_lastSuccessLabel->setText(copy.text("接続履歴は利用できません", "Connection history unavailable"));
    m_webButton->setEnabled(false);
    m_copyButton->setEnabled(false);
    m_pluginSetupButton->setEnabled(false);
    updateMenuStatus(message);
}

void OverviewController::disableActionsForPreview() {
    for (StatusRow* row : {m_accountRow, m_connectionRow, m_codexRow, m_claudeRow}) {
        row->action()->setEnabled(false);
    }
    for (QPushButton* button : {m_webButton, m_copyButton, m_refreshButton}) {
        button->setEnabled(false);
    }
}
