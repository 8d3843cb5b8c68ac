// The task list of the sidebar and the detail area of the Tasks page, built once; renders only update them.
#include "tasks/TasksController.h"

#include "context/AppContext.h"
#include "platform/Platform.h"
#include "ui/Copy.h"

#include "tasks/TaskBodyView.h"
#include "tasks/TaskListModel.h"
#include "tasks/TaskRowDelegate.h"
#include "ui/FlatButtons.h"
#include "ui/ListKeys.h"
#include "ui/ThemedLabel.h"
#include "ui/ViewFactory.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>
#include <QVBoxLayout>

namespace {

template <typename View> View* taskView(View* view, const char* name) {
    view->setObjectName(QString::fromLatin1(name));
    return view;
}

// A container without margins; the views inside scroll by themselves.
QWidget* holder(QWidget* parent, const char* name, QWidget* content) {
    auto* box = taskView(new QWidget(parent), name);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    content->setParent(box);
    column->addWidget(content);
    return box;
}

} // namespace

QWidget* TasksController::buildTaskList(QWidget* parent) {
    m_taskListModel = new TaskListModel(m_context.copy, this);
    m_taskTable = taskView(new QTableView(), "taskTable");
    m_taskTable->setModel(m_taskListModel);
    m_taskTable->setItemDelegate(new TaskRowDelegate(m_taskTable));
    m_taskTable->horizontalHeader()->hide();
    m_taskTable->horizontalHeader()->setStretchLastSection(true);
    m_taskTable->verticalHeader()->hide();
    m_taskTable->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_taskTable->verticalHeader()->setDefaultSectionSize(TaskRowDelegate::kRowHeight);
    m_taskTable->setShowGrid(false);
    m_taskTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_taskTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_taskTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_taskTable->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_taskTable->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_taskTable->setFrameShape(QFrame::NoFrame);
    m_taskTable->setWordWrap(false);
    m_taskTable->viewport()->setAutoFillBackground(false);
    // The rows draw their own selection; the style's row highlight would show square corners around it.
    QPalette clear = m_taskTable->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        clear.setColor(group, QPalette::Highlight, Qt::transparent);
    }
    m_taskTable->setPalette(clear);
    m_taskTable->setAutoFillBackground(false);
    m_taskTable->setFocusPolicy(Qt::StrongFocus);
    useListKeys(m_taskTable);
    m_taskTable->setAccessibleName(m_context.copy.text("タスク", "Tasks"));
    connect(m_taskTable->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!m_refreshingTaskList) {
            selectTask();
        }
    });
    m_taskListScroll = holder(parent, "taskListScroll", m_taskTable);
    return m_taskListScroll;
}

QWidget* TasksController::buildHeading(QWidget* parent) {
    m_taskDetailHeading = taskView(new QWidget(parent), "taskDetailHeading");
    auto* heading = new QHBoxLayout(m_taskDetailHeading);
    heading->setContentsMargins(0, 0, 0, 0);
    heading->setSpacing(16);
    auto* titles = new QVBoxLayout();
    titles->setSpacing(4);
    auto* title = themedLabel(m_taskDetailHeading, "taskTitle", Theme::text, 24, QFont::DemiBold);
    title->setMaximumLines(2);
    m_taskTitle = title;
    m_taskState = themedLabel(m_taskDetailHeading, "taskState", Theme::secondary, 12);
    titles->addWidget(m_taskTitle);
    titles->addWidget(m_taskState);
    heading->addLayout(titles, 1);
    return m_taskDetailHeading;
}

QWidget* TasksController::buildTaskDetail(QWidget* parent) {
    auto* detail = taskView(new QWidget(parent), "taskDetailArea");
    auto* column = new QVBoxLayout(detail);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(16);

    m_detailActions = taskView(new QWidget(detail), "detailActions");
    m_detailActions->setAccessibleName(m_context.copy.text("実行指示の詳細を切り替え", "Toggle execution details"));
    auto* actions = new QHBoxLayout(m_detailActions);
    actions->setContentsMargins(0, 0, 0, 0);
    actions->setSpacing(8);
    m_resultButton = taskView(new FlatOutlineButton(QString(), m_detailActions), "resultButton");
    m_criteriaButton = taskView(new FlatOutlineButton(QString(), m_detailActions), "criteriaButton");
    m_technicalButton = taskView(new FlatOutlineButton(QString(), m_detailActions), "technicalButton");
    connect(m_resultButton, &QPushButton::clicked, this, [this] { toggleResult(); });
    connect(m_criteriaButton, &QPushButton::clicked, this, [this] { toggleCriteria(); });
    connect(m_technicalButton, &QPushButton::clicked, this, [this] { toggleTechnical(); });
    for (QPushButton* button : {m_resultButton, m_criteriaButton, m_technicalButton}) {
        button->hide();
        actions->addWidget(button);
    }
    actions->addStretch(1);
    m_detailActions->hide();
    column->addWidget(m_detailActions);

    m_taskVisuals = taskView(new QWidget(detail), "taskVisuals");
    auto* cards = new QVBoxLayout(m_taskVisuals);
    cards->setContentsMargins(0, 0, 0, 0);
    cards->setSpacing(8);
    m_taskVisuals->hide();
    column->addWidget(m_taskVisuals);

    m_taskBody = taskView(new TaskBodyView(detail), "taskBody");
    m_taskBody->setAccessibleName(m_context.copy.text("タスクの内容", "Task content"));
    connect(m_taskBody, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) { openTaskBodyLink(link); });
    m_taskBodyScroll = holder(detail, "taskBodyScroll", m_taskBody);
    column->addWidget(m_taskBodyScroll, 1);

    m_taskLinks = taskView(new QWidget(detail), "taskLinks");
    auto* links = new QHBoxLayout(m_taskLinks);
    links->setContentsMargins(0, 0, 0, 0);
    links->setSpacing(8);
    links->addStretch(1);
    m_taskLinks->hide();
    column->addWidget(m_taskLinks);
    return detail;
}
