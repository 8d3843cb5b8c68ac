// The analysis area of the conversation view: what the service established about the latest finished turn, the
// evidence behind it and the way back to the conversation.
#include "sessions/conversation/SessionsController.h"

#include "context/AppContext.h"
#include "sessions/conversation/SessionAnalysis.h"
#include "sessions/conversation/SessionPresentation.h"
#include "ui/Surfaces.h"
#include "ui/ThemedLabel.h"
#include "ui/ViewFactory.h"

#include <QLayout>
#include <QPushButton>

namespace {

ThemedLabel* detailLabel(QWidget* parent, const SessionDetailEntry& entry) {
    ThemedLabel* label = entry.goal ? themedLabel(parent, nullptr, Theme::text, 14, QFont::Medium)
                                    : themedLabel(parent, nullptr, Theme::secondary, 13);
    label->setTextFormat(Qt::PlainText);
    label->setText(entry.text);
    if (entry.goal) {
        label->setMaximumLines(3);
        label->setToolTip(entry.text);
    }
    return label;
}

} // namespace

void SessionsController::renderSessionAnalysis(const QJsonObject& record) {
    const SessionAnalysisPresentation area =
        sessionAnalysisPresentation(record, m_sessionEvidenceOpen, m_context.link.fixtureMode, m_context.copy);
    m_pane.sessionFormHeading->setTextFormat(Qt::PlainText);
    m_pane.sessionFormHeading->setText(area.heading);
    m_pane.sessionIntro->setTextFormat(Qt::PlainText);
    m_pane.sessionIntro->setText(area.intro);

    // Rebuilt only when it says something else, so a heartbeat leaves the labels (and any selection in them) be.
    if (area.details != m_shownAnalysisDetails) {
        SettingsStack* stack = m_pane.sessionAnalysisDetails;
        for (QWidget* child : stack->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            delete child;
        }
        for (const SessionDetailEntry& entry : area.details) {
            stack->addView(detailLabel(stack, entry));
        }
        m_shownAnalysisDetails = area.details;
    }
    m_pane.sessionEvidenceToggle->setHidden(!area.detailsToggleVisible);
    m_pane.sessionEvidenceToggle->setText(
        sessionToggleTitle(SessionToggle::evidence, m_sessionEvidenceOpen, m_context.copy));
    m_pane.sessionAnalysisDetails->setVisible(area.detailsVisible);
    m_pane.sessionAnalysisOriginal->setText(area.openTitle);
    m_pane.sessionAnalysisOriginal->setVisible(area.openVisible);
}
