// The task list of the sidebar and the detail area of the Tasks page, built once; renders only update them.
#include "app/AppDelegate.h"

#include "tasks/TaskBodyView.h"
#include "tasks/TaskListModel.h"
#include "tasks/TaskRowDelegate.h"
#include "ui/FlatButtons.h"

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

QWidget* AppDelegate::buildTaskList(QWidget* parent) {
    taskListModel = new TaskListModel(copy, this);
    taskTable = taskView(new QTableView(), "taskTable");
    taskTable->setModel(taskListModel);
    taskTable->setItemDelegate(new TaskRowDelegate(taskTable));
    taskTable->horizontalHeader()->hide();
    taskTable->horizontalHeader()->setStretchLastSection(true);
    taskTable->verticalHeader()->hide();
    taskTable->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    taskTable->verticalHeader()->setDefaultSectionSize(TaskRowDelegate::kRowHeight);
    taskTable->setShowGrid(false);
    taskTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    taskTable->setSelectionMode(QAbstractItemView::SingleSelection);
    taskTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    taskTable->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    taskTable->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    taskTable->setFrameShape(QFrame::NoFrame);
    taskTable->setWordWrap(false);
    taskTable->viewport()->setAutoFillBackground(false);
    // The rows draw their own selection; the style's row highlight would show square corners around it.
    QPalette clear = taskTable->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        clear.setColor(group, QPalette::Highlight, Qt::transparent);
    }
    taskTable->setPalette(clear);
    taskTable->setAutoFillBackground(false);
    taskTable->setFocusPolicy(Qt::StrongFocus);
    taskTable->setAccessibleName(copy.text("タスク", "Tasks"));
    connect(taskTable->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!refreshingTaskList) {
            selectTask();
        }
    });
    taskListScroll = holder(parent, "taskListScroll", taskTable);
    return taskListScroll;
}

QWidget* AppDelegate::buildTaskDetail(QWidget* parent) {
    auto* detail = taskView(new QWidget(parent), "taskDetailArea");
    auto* column = new QVBoxLayout(detail);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(16);

    detailActions = taskView(new QWidget(detail), "detailActions");
    detailActions->setAccessibleName(copy.text("実行指示の詳細を切り替え", "Toggle execution details"));
    auto* actions = new QHBoxLayout(detailActions);
    actions->setContentsMargins(0, 0, 0, 0);
    actions->setSpacing(8);
    resultButton = taskView(new FlatOutlineButton(QString(), detailActions), "resultButton");
    criteriaButton = taskView(new FlatOutlineButton(QString(), detailActions), "criteriaButton");
    technicalButton = taskView(new FlatOutlineButton(QString(), detailActions), "technicalButton");
    connect(resultButton, &QPushButton::clicked, this, [this] { toggleResult(); });
    connect(criteriaButton, &QPushButton::clicked, this, [this] { toggleCriteria(); });
    connect(technicalButton, &QPushButton::clicked, this, [this] { toggleTechnical(); });
    for (QPushButton* button : {resultButton, criteriaButton, technicalButton}) {
        button->hide();
        actions->addWidget(button);
    }
    actions->addStretch(1);
    detailActions->hide();
    column->addWidget(detailActions);

    taskVisuals = taskView(new QWidget(detail), "taskVisuals");
    auto* cards = new QVBoxLayout(taskVisuals);
    cards->setContentsMargins(0, 0, 0, 0);
    cards->setSpacing(8);
    taskVisuals->hide();
    column->addWidget(taskVisuals);

    taskBody = taskView(new TaskBodyView(detail), "taskBody");
    taskBody->setAccessibleName(copy.text("タスクの内容", "Task content"));
    connect(taskBody, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) { openTaskBodyLink(link); });
    taskBodyScroll = holder(detail, "taskBodyScroll", taskBody);
    column->addWidget(taskBodyScroll, 1);

    taskLinks = taskView(new QWidget(detail), "taskLinks");
    auto* links = new QHBoxLayout(taskLinks);
    links->setContentsMargins(0, 0, 0, 0);
    links->setSpacing(8);
    links->addStretch(1);
    taskLinks->hide();
    column->addWidget(taskLinks);
    return detail;
}
