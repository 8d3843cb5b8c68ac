// The Sessions home: a header with the appearance toggle, the headline area shared by the conversation view and
// the Dozadavi Zaro run, the run controls and groups, and the conversation pane. The session and delivery pages
// fill these views; here they are only built, empty or with their first titles.
#include "app/AppDelegate.h"

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

void AppDelegate::buildDeliveryHome(QWidget* home) {
    auto* column = new QVBoxLayout(home);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    // Header: the conversation's title and provider, the preview badge and the appearance toggle.
    auto* header = named(new QWidget(home), "deliveryHomeHeader");
    auto* headerRow = new QHBoxLayout(header);
    headerRow->setContentsMargins(24, 20, 16, 12);
    headerRow->setSpacing(10);
    sessionHeaderTitle = themedLabel(header, "sessionHeaderTitle", Theme::text, 15, QFont::DemiBold, false);
    sessionHeaderTitle->setText(copy.text("会話", "Sessions"));
    sessionHeaderProvider = themedLabel(header, "sessionHeaderProvider", Theme::secondary, 12, QFont::Normal, false);
    sessionHeaderProvider->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    auto* previewText = themedLabel(nullptr, "deliveryPreviewText", Theme::accent, 11, QFont::Medium, false);
    previewText->setText(copy.text("プレビュー", "Preview"));
    previewText->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    auto* preview = badge(header, "deliveryPreviewBadge", previewText);
    preview->setColors(Theme::selected, Theme::selected);
    preview->hide();
    deliveryPreviewBadge = preview;
    auto* toggle = named(new SymbolButton(Symbol::moon, header), "themeToggle");
    toggle->setToolTip(copy.text("表示色を切り替える", "Toggle appearance"));
    toggle->setAccessibleName(toggle->toolTip());
    connect(toggle, &QPushButton::clicked, this, [this] { toggleWindowAppearance(); });
    themeToggle = toggle;
    headerRow->addWidget(sessionHeaderTitle, 1);
    headerRow->addWidget(sessionHeaderProvider);
    headerRow->addWidget(deliveryPreviewBadge);
    headerRow->addWidget(themeToggle);
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
    deliveryState = stateLabel;
    deliveryStateBadge = badge(document, "deliveryStateBadge", stateLabel);
    auto* eyeline = themedLabel(nullptr, "sessionEyeline", Theme::secondary, 12, QFont::Medium, false);
    eyeline->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    sessionEyeline = eyeline;
    sessionStatusBadge = badge(document, "sessionStatusBadge", eyeline);
    sessionStatusBadge->hide();
    badges->addWidget(deliveryStateBadge);
    badges->addWidget(sessionStatusBadge);
    badges->addStretch(1);
    body->addLayout(badges);

    deliveryHeadline = line(themedLabel(document, "deliveryHeadline", Theme::text, 22, QFont::DemiBold), 14);
    deliveryGoal = line(themedLabel(document, "deliveryGoal", Theme::secondary, 13), 8);
    deliveryProgress = line(themedLabel(document, "deliveryProgress", Theme::secondary, 12), 6);
    deliverySummary = line(themedLabel(document, "deliverySummary", Theme::text, 13), 12);
    for (QWidget* view : {deliveryHeadline, deliveryGoal, deliveryProgress, deliverySummary}) {
        body->addWidget(view);
    }

    auto* attentionHolder = new QWidget(document);
    auto* holderColumn = new QVBoxLayout(attentionHolder);
    holderColumn->setContentsMargins(0, 14, 0, 0);
    deliveryAttentionSurface = named(new AttentionSurface(attentionHolder), "deliveryAttentionSurface");
    holderColumn->addWidget(deliveryAttentionSurface);
    auto* attentionColumn = new QVBoxLayout(deliveryAttentionSurface);
    attentionColumn->setContentsMargins(0, 0, 0, 0);
    deliveryAttention = themedLabel(deliveryAttentionSurface, "deliveryAttention", Theme::secondary, 13);
    attentionColumn->addWidget(deliveryAttention);
    deliveryAttention->hide();
    followHidden(deliveryAttentionSurface, deliveryAttention);
    followHidden(attentionHolder, deliveryAttention);
    body->addWidget(attentionHolder);

    deliveryNext = line(themedLabel(document, "deliveryNext", Theme::text, 13), 14);
    body->addWidget(deliveryNext);

    deliveryPrimaryRow = named(new QWidget(document), "deliveryPrimaryRow");
    auto* primaryRow = new QHBoxLayout(deliveryPrimaryRow);
    primaryRow->setContentsMargins(0, 18, 0, 0);
    primaryRow->setSpacing(8);
    deliveryPrimary = named(new SolidActionButton({}, deliveryPrimaryRow), "deliveryPrimary");
    deliveryPrimary->hide();
    auto* original =
        named(new FlatOutlineButton(copy.text("元の会話を開く", "Open original conversation"), deliveryPrimaryRow),
              "originalSessionButton");
    original->setTrailingSymbol(Symbol::arrowUpRight);
    original->hide();
    originalSessionButton = original;
    primaryRow->addWidget(deliveryPrimary);
    primaryRow->addWidget(originalSessionButton);
    primaryRow->addStretch(1);
    body->addWidget(deliveryPrimaryRow);

    deliveryActionMessage = line(themedLabel(document, "deliveryActionMessage", Theme::secondary, 12), 10);
    body->addWidget(deliveryActionMessage);

    // Run controls: policy, manual criterion, the six actions and the two disclosures.
    deliveryControls = named(new QWidget(document), "deliveryControls");
    auto* controls = new QVBoxLayout(deliveryControls);
    controls->setContentsMargins(0, 18, 0, 0);
    controls->setSpacing(10);
    auto* policyRow = bareRow();
    deliveryPolicyPicker = named(new QComboBox(deliveryControls), "deliveryPolicyPicker");
    deliveryPolicyPicker->addItem(copy.text("自律", "Autonomous"), QStringLiteral("autonomous"));
    deliveryPolicyPicker->addItem(copy.text("バランス", "Balanced"), QStringLiteral("balanced"));
    deliveryPolicyPicker->addItem(copy.text("厳格", "Strict"), QStringLiteral("strict"));
    deliveryPolicyPicker->setCurrentIndex(-1);
    deliveryPolicyApply =
        named(new FlatOutlineButton(copy.text("適用", "Apply"), deliveryControls), "deliveryPolicyApply");
    deliveryCriterionPicker = named(new QComboBox(deliveryControls), "deliveryCriterionPicker");
    deliveryCriterionPicker->hide();
    deliveryVerify = named(new FlatOutlineButton(copy.text("検証", "Verify"), deliveryControls), "deliveryVerify");
    deliveryVerify->hide();
    policyRow->addWidget(deliveryPolicyPicker);
    policyRow->addWidget(deliveryPolicyApply);
    policyRow->addSpacing(8);
    policyRow->addWidget(deliveryCriterionPicker, 1);
    policyRow->addWidget(deliveryVerify);
    policyRow->addStretch(1);
    controls->addLayout(policyRow);

    auto* actionRow = bareRow();
    const struct {
        QPushButton** view;
        const char* name;
        const char* japanese;
        const char* english;
    } actions[] = {
        {&deliveryPause, "deliveryPause", "一時停止", "Pause"},   {&deliveryResume, "deliveryResume", "再開", "Resume"},
        {&deliveryApprove, "deliveryApprove", "承認", "Approve"}, {&deliveryReject, "deliveryReject", "却下", "Reject"},
        {&deliveryReplan, "deliveryReplan", "再計画", "Replan"},  {&deliveryStop, "deliveryStop", "停止", "Stop"},
    };
    for (const auto& action : actions) {
        *action.view =
            named(new FlatOutlineButton(copy.text(action.japanese, action.english), deliveryControls), action.name);
        (*action.view)->setEnabled(false);
        actionRow->addWidget(*action.view);
    }
    actionRow->addStretch(1);
    controls->addLayout(actionRow);

    auto* disclosures = bareRow(16);
    deliveryDetailsToggle =
        named(new InlineTextButton(copy.text("詳細", "Details"), deliveryControls), "deliveryDetailsToggle");
    deliverySettingsToggle =
        named(new InlineTextButton(copy.text("設定", "Settings"), deliveryControls), "deliverySettingsToggle");
    disclosures->addWidget(deliveryDetailsToggle);
    disclosures->addWidget(deliverySettingsToggle);
    disclosures->addStretch(1);
    controls->addLayout(disclosures);
    deliveryControls->hide();
    body->addWidget(deliveryControls);

    deliveryDetailsGroup = named(new QWidget(document), "deliveryDetailsGroup");
    auto* details = new QVBoxLayout(deliveryDetailsGroup);
    details->setContentsMargins(0, 16, 0, 0);
    details->setSpacing(8);
    deliveryTabButtons = named(new QWidget(deliveryDetailsGroup), "deliveryTabButtons");
    auto* tabRow = new QHBoxLayout(deliveryTabButtons);
    tabRow->setContentsMargins(0, 0, 0, 0);
    tabRow->setSpacing(0);
    deliveryDetailsBody = settingsStack({}, 8);
    deliveryDetailsBody->setObjectName(QStringLiteral("deliveryDetailsBody"));
    details->addWidget(deliveryTabButtons);
    details->addWidget(deliveryDetailsBody);
    deliveryDetailsGroup->hide();
    body->addWidget(deliveryDetailsGroup);

    deliverySettingsGroup = settingsStack({}, 8);
    static_cast<SettingsStack*>(deliverySettingsGroup)->column()->setContentsMargins(0, 16, 0, 0);
    deliverySettingsGroup->setObjectName(QStringLiteral("deliverySettingsGroup"));
    deliverySettingsGroup->hide();
    body->addWidget(deliverySettingsGroup);

    sessionPane = settingsStack({}, 12);
    sessionPane->setObjectName(QStringLiteral("sessionPane"));
    body->addWidget(sessionPane);
    body->addStretch(1);
}
