// The Sessions home: a header with the appearance toggle, the headline area shared by the conversation view and
// the Dozadavi Zaro run, the run controls and groups, and the conversation pane. Here they are only built, empty or
// with their first titles; `apply` draws them.
#include "sessions/home/SupervisionHome.h"

#include "ui/Builders.h"
#include "ui/Copy.h"

#include "ui/FlatButtons.h"
#include "ui/Surfaces.h"
#include "ui/Theme.h"
#include "ui/ThemedLabel.h"
#include "ui/ViewFactory.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

// A small rounded badge holding one label.
RoundedBox* badge(QWidget* parent, const char* name, ThemedLabel* label) {
    auto* box = named(new RoundedBox(Theme::surface, Theme::border, 6, parent), name);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(8, 3, 8, 3);
    label->setParent(box);
    row->addWidget(label);
    box->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    return box;
}

// A line of the headline area: it keeps `gap` above itself and takes no room at all while empty.
ThemedLabel* line(ThemedLabel* label, int gap) {
    label->setContentsMargins(0, gap, 0, 0);
    label->setCollapsesWhenEmpty(true);
    return label;
}

QHBoxLayout* bareRow(int spacing = 8) {
    auto* row = new QHBoxLayout();
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(spacing);
    return row;
}

} // namespace

SupervisionHome::SupervisionHome(const Copy& copy, QObject* parent) : QObject(parent), m_copy(copy) {}

void SupervisionHome::build(QWidget* home) {
    auto* column = new QVBoxLayout(home);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    // Header: the conversation's title and provider, the preview badge and the appearance toggle.
    auto* header = named(new QWidget(home), "deliveryHomeHeader");
    auto* headerRow = new QHBoxLayout(header);
    headerRow->setContentsMargins(24, 20, 16, 12);
    headerRow->setSpacing(10);
    m_sessionHeaderTitle = themedLabel(header, "sessionHeaderTitle", Theme::text, 15, QFont::DemiBold, false);
    m_sessionHeaderTitle->setText(m_copy.text("会話", "Sessions"));
    m_sessionHeaderProvider = themedLabel(header, "sessionHeaderProvider", Theme::secondary, 12, QFont::Normal, false);
    m_sessionHeaderProvider->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    auto* previewText = themedLabel(nullptr, "deliveryPreviewText", Theme::accent, 11, QFont::Medium, false);
    previewText->setText(m_copy.text("プレビュー", "Preview"));
    previewText->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    auto* preview = badge(header, "deliveryPreviewBadge", previewText);
    preview->setColors(Theme::selected, Theme::selected);
    preview->hide();
    m_deliveryPreviewBadge = preview;
    auto* toggle = named(new SymbolButton(Symbol::moon, header), "themeToggle");
    toggle->setToolTip(m_copy.text("表示色を切り替える", "Toggle appearance"));
    toggle->setAccessibleName(toggle->toolTip());
    connect(toggle, &QPushButton::clicked, this, &SupervisionHome::appearanceToggleRequested);
    m_themeToggle = toggle;
    headerRow->addWidget(m_sessionHeaderTitle, 1);
    headerRow->addWidget(m_sessionHeaderProvider);
    headerRow->addWidget(m_deliveryPreviewBadge);
    headerRow->addWidget(m_themeToggle);
    column->addWidget(header);

    auto* document = named(new FlippedDocumentView(), "deliveryDocument");
    auto* body = new QVBoxLayout(document);
    body->setContentsMargins(24, 8, 24, 24);
    body->setSpacing(0); // gaps belong to the lines, so empty ones leave none
    column->addWidget(clearScrollArea(home, document, "deliveryScroll"), 1);

    // Badges: the run's state and the conversation's eyeline.
    auto* badges = bareRow();
    auto* stateLabel = themedLabel(nullptr, "deliveryState", Theme::secondary, 12, QFont::Medium, false);
    stateLabel->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    m_deliveryState = stateLabel;
    m_deliveryStateBadge = badge(document, "deliveryStateBadge", stateLabel);
    auto* eyeline = themedLabel(nullptr, "sessionEyeline", Theme::secondary, 12, QFont::Medium, false);
    eyeline->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    m_sessionEyeline = eyeline;
    m_sessionStatusBadge = badge(document, "sessionStatusBadge", eyeline);
    m_sessionStatusBadge->hide();
    badges->addWidget(m_deliveryStateBadge);
    badges->addWidget(m_sessionStatusBadge);
    badges->addStretch(1);
    body->addLayout(badges);

    m_deliveryHeadline = line(themedLabel(document, "deliveryHeadline", Theme::text, 22, QFont::DemiBold), 14);
    m_deliveryGoal = line(themedLabel(document, "deliveryGoal", Theme::secondary, 13), 8);
    m_deliveryProgress = line(themedLabel(document, "deliveryProgress", Theme::secondary, 12), 6);
    m_deliverySummary = line(themedLabel(document, "deliverySummary", Theme::text, 13), 12);
    for (QWidget* view : {m_deliveryHeadline, m_deliveryGoal, m_deliveryProgress, m_deliverySummary}) {
        body->addWidget(view);
    }

    auto* attentionHolder = new QWidget(document);
    auto* holderColumn = new QVBoxLayout(attentionHolder);
    holderColumn->setContentsMargins(0, 14, 0, 0);
    m_deliveryAttentionSurface = named(new AttentionSurface(attentionHolder), "deliveryAttentionSurface");
    holderColumn->addWidget(m_deliveryAttentionSurface);
    auto* attentionColumn = new QVBoxLayout(m_deliveryAttentionSurface);
    attentionColumn->setContentsMargins(0, 0, 0, 0);
    m_deliveryAttention = themedLabel(m_deliveryAttentionSurface, "deliveryAttention", Theme::secondary, 13);
    attentionColumn->addWidget(m_deliveryAttention);
    m_deliveryAttention->hide();
    followHidden(m_deliveryAttentionSurface, m_deliveryAttention);
    followHidden(attentionHolder, m_deliveryAttention);
    body->addWidget(attentionHolder);

    m_deliveryNext = line(themedLabel(document, "deliveryNext", Theme::text, 13), 14);
    body->addWidget(m_deliveryNext);

    m_deliveryPrimaryRow = named(new QWidget(document), "deliveryPrimaryRow");
    auto* primaryRow = new QHBoxLayout(m_deliveryPrimaryRow);
    primaryRow->setContentsMargins(0, 18, 0, 0);
    primaryRow->setSpacing(8);
    m_deliveryPrimary = named(new SolidActionButton({}, m_deliveryPrimaryRow), "deliveryPrimary");
    m_deliveryPrimary->hide();
    connect(m_deliveryPrimary, &QPushButton::clicked, this, [this] { Q_EMIT runControlClicked(RunControl::primary); });
    auto* original =
        named(new FlatOutlineButton(m_copy.text("元の会話を開く", "Open original conversation"), m_deliveryPrimaryRow),
              "originalSessionButton");
    original->setTrailingSymbol(Symbol::arrowUpRight);
    original->hide();
    connect(original, &QPushButton::clicked, this, &SupervisionHome::originalSessionRequested);
    m_originalSessionButton = original;
    primaryRow->addWidget(m_deliveryPrimary);
    primaryRow->addWidget(m_originalSessionButton);
    primaryRow->addStretch(1);
    body->addWidget(m_deliveryPrimaryRow);

    auto* startRow = new QWidget(document);
    auto* startLayout = new QHBoxLayout(startRow);
    startLayout->setContentsMargins(0, 18, 0, 0);
    m_startManagedButton =
        named(new FlatOutlineButton(m_copy.text("プロバイダー設定", "Provider setup"), startRow), "startManagedButton");
    connect(m_startManagedButton, &QPushButton::clicked, this, &SupervisionHome::deliverySetupRequested);
    startLayout->addWidget(m_startManagedButton);
    startLayout->addStretch(1);
    followHidden(startRow, m_startManagedButton);
    m_startManagedButton->hide();
    body->addWidget(startRow);

    m_deliveryActionMessage = line(themedLabel(document, "deliveryActionMessage", Theme::secondary, 12), 10);
    body->addWidget(m_deliveryActionMessage);
    // These lines carry host text: never read as markup.
    for (QLabel* text : {m_sessionHeaderTitle, m_sessionHeaderProvider, m_sessionEyeline, m_deliveryHeadline,
                         m_deliveryGoal, m_deliveryProgress, m_deliverySummary, m_deliveryAttention, m_deliveryNext,
                         m_deliveryState, m_deliveryActionMessage}) {
        text->setTextFormat(Qt::PlainText);
    }

    // Run controls: the manual criterion, the actions that answer the run and the two disclosures. Pause, stop
    // and the policy sit in the settings group, opened on purpose.
    m_deliveryControls = named(new QWidget(document), "deliveryControls");
    auto* controls = new QVBoxLayout(m_deliveryControls);
    controls->setContentsMargins(0, 18, 0, 0);
    controls->setSpacing(10);
    auto* criterionRow = bareRow();
    m_deliveryCriterionPicker = named(new QComboBox(m_deliveryControls), "deliveryCriterionPicker");
    m_deliveryCriterionPicker->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_deliveryCriterionPicker->setMinimumContentsLength(16);
    m_deliveryCriterionPicker->setAccessibleName(m_copy.text("検証する条件", "Criterion to verify"));
    m_deliveryCriterionPicker->hide();
    m_deliveryVerify = named(new FlatOutlineButton(m_copy.text("検証済みにする", "Mark verified"), m_deliveryControls),
                             "deliveryVerify");
    m_deliveryVerify->hide();
    connect(m_deliveryVerify, &QPushButton::clicked, this, [this] { Q_EMIT runControlClicked(RunControl::verify); });
    criterionRow->addWidget(m_deliveryCriterionPicker, 1);
    criterionRow->addWidget(m_deliveryVerify);
    controls->addLayout(criterionRow);

    const struct {
        QPushButton** view;
        const char* name;
        const char* japanese;
        const char* english;
        RunControl control;
    } actions[] = {
        {&m_deliveryApprove, "deliveryApprove", "承認", "Approve", RunControl::approve},
        {&m_deliveryReject, "deliveryReject", "却下", "Reject", RunControl::reject},
        {&m_deliveryReplan, "deliveryReplan", "再計画", "Replan", RunControl::replan},
        {&m_deliveryResume, "deliveryResume", "再開", "Resume", RunControl::resume},
        {&m_deliveryPause, "deliveryPause", "一時停止", "Pause", RunControl::pause},
        {&m_deliveryStop, "deliveryStop", "停止", "Stop", RunControl::stop},
    };
    for (const auto& action : actions) {
        *action.view = named(new FlatOutlineButton(m_copy.text(action.japanese, action.english)), action.name);
        (*action.view)->setEnabled(false);
        const RunControl control = action.control;
        connect(*action.view, &QPushButton::clicked, this, [this, control] { Q_EMIT runControlClicked(control); });
    }
    // Approve is offered by the primary button ("Review request"); the button stays for keyboard and automation.
    m_deliveryApprove->hide();
    m_deliveryResume->hide();
    auto* actionRow = bareRow();
    for (QPushButton* button : {m_deliveryApprove, m_deliveryReject, m_deliveryReplan, m_deliveryResume}) {
        button->setParent(m_deliveryControls);
        actionRow->addWidget(button);
    }
    actionRow->addStretch(1);
    controls->addLayout(actionRow);

    auto* disclosures = bareRow(16);
    m_deliveryDetailsToggle =
        named(new InlineTextButton(m_copy.text("詳細", "Details"), m_deliveryControls), "deliveryDetailsToggle");
    m_deliverySettingsToggle =
        named(new InlineTextButton(m_copy.text("設定", "Settings"), m_deliveryControls), "deliverySettingsToggle");
    connect(m_deliveryDetailsToggle, &QPushButton::clicked, this,
            [this] { Q_EMIT runControlClicked(RunControl::detailsToggle); });
    connect(m_deliverySettingsToggle, &QPushButton::clicked, this,
            [this] { Q_EMIT runControlClicked(RunControl::settingsToggle); });
    disclosures->addWidget(m_deliveryDetailsToggle);
    disclosures->addWidget(m_deliverySettingsToggle);
    disclosures->addStretch(1);
    controls->addLayout(disclosures);
    m_deliveryControls->hide();
    body->addWidget(m_deliveryControls);

    // Settings: the autonomy policy with its apply button, then pause and stop.
    auto* settings = named(new QWidget(document), "deliverySettingsGroup");
    auto* settingsColumn = new QVBoxLayout(settings);
    settingsColumn->setContentsMargins(0, 16, 0, 0);
    settingsColumn->setSpacing(10);
    auto* policyRow = bareRow();
    auto* policyLabel = themedLabel(settings, "deliveryPolicyLabel", Theme::secondary, 12, QFont::Medium, false);
    policyLabel->setText(m_copy.text("自律性", "Autonomy policy"));
    policyLabel->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    m_deliveryPolicyPicker = named(new QComboBox(settings), "deliveryPolicyPicker");
    m_deliveryPolicyPicker->setAccessibleName(policyLabel->text());
    policyLabel->setBuddy(m_deliveryPolicyPicker);
    m_deliveryPolicyPicker->addItem(m_copy.text("自律", "Autonomous"), QStringLiteral("autonomous"));
    m_deliveryPolicyPicker->addItem(m_copy.text("バランス", "Balanced"), QStringLiteral("balanced"));
    m_deliveryPolicyPicker->addItem(m_copy.text("厳格", "Strict"), QStringLiteral("strict"));
    m_deliveryPolicyPicker->setCurrentIndex(-1);
    m_deliveryPolicyPicker->setEnabled(false);
    connect(m_deliveryPolicyPicker, &QComboBox::activated, this, [this] { Q_EMIT deliveryPolicyChosen(); });
    m_deliveryPolicyApply = named(new FlatOutlineButton(m_copy.text("適用", "Apply"), settings), "deliveryPolicyApply");
    m_deliveryPolicyApply->setEnabled(false);
    connect(m_deliveryPolicyApply, &QPushButton::clicked, this,
            [this] { Q_EMIT runControlClicked(RunControl::policyApply); });
    policyRow->addWidget(policyLabel);
    policyRow->addWidget(m_deliveryPolicyPicker);
    policyRow->addWidget(m_deliveryPolicyApply);
    policyRow->addStretch(1);
    settingsColumn->addLayout(policyRow);
    auto* steeringRow = bareRow();
    for (QPushButton* button : {m_deliveryPause, m_deliveryStop}) {
        button->setParent(settings);
        button->hide();
        steeringRow->addWidget(button);
    }
    steeringRow->addStretch(1);
    settingsColumn->addLayout(steeringRow);
    settings->hide();
    m_deliverySettingsGroup = settings;
    body->addWidget(m_deliverySettingsGroup);

    m_deliveryDetailsGroup = named(new QWidget(document), "deliveryDetailsGroup");
    auto* details = new QVBoxLayout(m_deliveryDetailsGroup);
    details->setContentsMargins(0, 16, 0, 0);
    details->setSpacing(12);
    m_deliveryTabButtons = named(new QWidget(m_deliveryDetailsGroup), "deliveryTabButtons");
    auto* tabRow = new QHBoxLayout(m_deliveryTabButtons);
    tabRow->setContentsMargins(0, 0, 0, 0);
    tabRow->setSpacing(4);
    const struct {
        const char* name;
        const char* japanese;
        const char* english;
    } tabs[] = {
        {"deliveryPlanTab", "計画", "Plan"},
        {"deliveryActivityTab", "履歴", "Activity"},
        {"deliveryEvidenceTab", "証拠", "Evidence"},
    };
    for (const auto& tab : tabs) {
        auto* button =
            named(new DetailsTabButton(m_copy.text(tab.japanese, tab.english), m_deliveryTabButtons), tab.name);
        const int index = static_cast<int>(m_deliveryTabs.size());
        connect(button, &QPushButton::clicked, this, [this, index] { Q_EMIT deliveryDetailsTabChosen(index); });
        m_deliveryTabs.append(button);
        tabRow->addWidget(button);
    }
    tabRow->addStretch(1);
    if (auto* first = qobject_cast<DetailsTabButton*>(m_deliveryTabs.value(0))) {
        first->setSelected(true);
    }
    m_deliveryDetailsBody = settingsStack({}, 14);
    m_deliveryDetailsBody->setObjectName(QStringLiteral("deliveryDetailsBody"));
    details->addWidget(m_deliveryTabButtons);
    details->addWidget(m_deliveryDetailsBody);
    m_deliveryDetailsGroup->hide();
    body->addWidget(m_deliveryDetailsGroup);

    // The understanding panel and the Action association area are built here by their own components.
    m_runCompanions = settingsStack({}, 0);
    m_runCompanions->setObjectName(QStringLiteral("deliveryRunCompanions"));
    body->addWidget(m_runCompanions);

    m_sessionPane = settingsStack({}, 12);
    m_sessionPane->setObjectName(QStringLiteral("sessionPane"));
    body->addWidget(m_sessionPane);
    body->addStretch(1);
}
