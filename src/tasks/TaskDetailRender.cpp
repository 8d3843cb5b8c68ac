// The detail of the selected task: cards, body sections in light Markdown, the show-more switches and links.
#include "tasks/TasksController.h"

#include "context/AppContext.h"
#include "platform/Platform.h"
#include "ui/Copy.h"

#include "model/SnapshotReading.h"
#include "platform/Platform.h"
#include "tasks/InlineMarkdown.h"
#include "tasks/TaskBodyView.h"
#include "tasks/TaskDetailContent.h"
#include "tasks/TaskStates.h"
#include "tasks/VisualCard.h"
#include "ui/FlatButtons.h"
#include "ui/ViewFactory.h"

#include <QFontDatabase>
#include <QLayout>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

namespace {

QPushButton* linkButton(const TaskLink& link, QWidget* parent) {
    auto* button = new FlatOutlineButton(link.title, parent);
    const QString address = link.url.toString(QUrl::FullyEncoded);
    button->setToolTip(plainToolTip(address));
    button->setProperty("address", address); // what a click opens, after checking it again
    return button;
}

} // namespace

void TasksController::renderTaskDetail(const QJsonObject& task) {
    m_selectedDetail = task;
    QJsonObject listed;
    for (const QJsonObject& item : std::as_const(m_taskItems)) {
        if (m_selectedTaskKey && taskIdentity(item) == m_selectedTaskKey) {
            listed = item;
            break;
        }
    }
    const QString state = stateAt(listed);
    const QString label = taskLabel(listed);
    const TaskDetailSwitches switches{m_showFullResult, m_showAllCriteria, m_showTechnical};
    const QString fingerprint = taskDetailFingerprint(state, label, switches, task);
    if (fingerprint == m_renderedDetail) {
        return; // unchanged: the scroll position and the selection in the body stay
    }
    m_renderedDetail = fingerprint;

    for (QWidget* card : m_taskVisuals->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        delete card;
    }
    const QList<TaskCard> cards = taskDetailCards(task, state, m_context.copy);
    for (const TaskCard& card : cards) {
        m_taskVisuals->layout()->addWidget(visualCard(card.heading, card.rows, card.tint, card.fill, m_taskVisuals));
    }
    m_taskVisuals->setHidden(cards.isEmpty());

    const bool hasResult = hasTaskResult(task);
    const bool hasCriteria = hasTaskCriteria(task);
    const bool hasTechnical = hasTaskTechnicalDetails(task);
    m_resultButton->setHidden(!hasResult);
    m_resultButton->setText(m_showFullResult ? m_context.copy.text("結果を閉じる", "Hide full result")
                                             : m_context.copy.text("結果の全文を表示", "Read full result"));
    m_criteriaButton->setHidden(!hasCriteria);
    m_criteriaButton->setText(m_showAllCriteria ? m_context.copy.text("成功条件を閉じる", "Hide all criteria")
                                                : m_context.copy.text("成功条件をすべて表示", "Show all criteria"));
    m_technicalButton->setHidden(!hasTechnical);
    m_technicalButton->setText(m_showTechnical ? m_context.copy.text("技術的な詳細を隠す", "Hide technical details")
                                               : m_context.copy.text("技術的な詳細を表示", "Show technical details"));
    m_detailActions->setHidden(!hasResult && !hasCriteria && !hasTechnical);

    // Built in one pass; the reader stays where they were.
    m_taskBody->showSections(taskDetailSections(task, label, switches, m_context.copy));

    for (QPushButton* button : m_taskLinks->findChildren<QPushButton*>(Qt::FindDirectChildrenOnly)) {
        delete button;
    }
    auto* links = qobject_cast<QBoxLayout*>(m_taskLinks->layout());
    const QList<TaskLink> taskLinkList = taskDetailLinks(task);
    for (const TaskLink& link : taskLinkList) {
        QPushButton* button = linkButton(link, m_taskLinks);
        connect(button, &QPushButton::clicked, this, [this, button] { openTaskLink(button); });
        links->insertWidget(links->count() - 1, button);
    }
    m_taskLinks->setHidden(taskLinkList.isEmpty());
}

void TasksController::toggleResult() {
    m_showFullResult = !m_showFullResult;
    m_renderedDetail.clear();
    renderTaskDetail(m_selectedDetail);
}

void TasksController::toggleCriteria() {
    m_showAllCriteria = !m_showAllCriteria;
    m_renderedDetail.clear();
    renderTaskDetail(m_selectedDetail);
}

void TasksController::toggleTechnical() {
    m_showTechnical = !m_showTechnical;
    m_renderedDetail.clear();
    renderTaskDetail(m_selectedDetail);
}

void TasksController::openTaskLink(QPushButton* button) {
    if (!button) {
        return;
    }
    if (const std::optional<QUrl> url = safeTaskURL(button->property("address").toString())) {
        m_context.platform.openUrl(*url);
    }
}

void TasksController::openTaskBodyLink(const QUrl& link) {
    // The view never follows links itself (openLinks is off); only a safe web address leaves the app.
    if (const std::optional<QUrl> url = safeTaskURL(link.toString(QUrl::FullyEncoded))) {
        m_context.platform.openUrl(*url);
    }
}
