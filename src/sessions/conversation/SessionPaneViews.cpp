// The conversation pane's views: built once, named, with their fixed texts; everything else is drawn later.
#include "sessions/conversation/SessionPaneViews.h"

#include "sessions/conversation/SessionForm.h"
#include "ui/Builders.h"
#include "ui/Copy.h"
#include "ui/FlatButtons.h"
#include "ui/Surfaces.h"
#include "ui/ThemedLabel.h"
#include "ui/ToggleSwitch.h"
#include "ui/ViewFactory.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace {

QWidget* bareBox(QWidget* parent, const char* name, QBoxLayout* layout, int spacing) {
    auto* box = named(new QWidget(parent), name);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    box->setLayout(layout);
    return box;
}

template <std::size_t N> QComboBox* numberPicker(QWidget* parent, const char* name, const std::array<int, N>& choices) {
    auto* picker = named(new QComboBox(parent), name);
    for (int choice : choices) {
        picker->addItem(QString::number(choice), choice);
    }
    return picker;
}

// A pop-up with the caption above it (the caption doubles as its accessible name).
QWidget* captioned(QWidget* parent, const QString& caption, QComboBox* picker) {
    auto* column = new QVBoxLayout();
    auto* box = bareBox(parent, nullptr, column, 4);
    auto* label = themedLabel(box, nullptr, Theme::secondary, 12, QFont::Normal, false);
    label->setElided(false); // the caption sets the width; the pop-up follows it
    label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    label->setText(caption);
    picker->setParent(box);
    picker->setAccessibleName(caption);
    column->addWidget(label);
    column->addWidget(picker);
    return box;
}

} // namespace

void SessionPaneViews::build(SettingsStack* pane, const Copy& copy) {
    pane->column()->setContentsMargins(0, 16, 0, 0); // below the badges and the headline area's last line
    // ---- context area: auto-continue and the provider's own goal ----
    auto* context = named(new RoundedBox(Theme::surface, Theme::border, 10, pane), "sessionContext");
    auto* contextColumn = new QVBoxLayout(context);
    contextColumn->setContentsMargins(14, 10, 14, 10);
    contextColumn->setSpacing(6);
    auto* switchRow = new QHBoxLayout();
    switchRow->setSpacing(8);
    sessionAutoContinueSwitch = named(new ToggleSwitch(context), "sessionAutoContinueSwitch");
    const QString autoContinue = copy.text("自動で続ける", "Auto-continue");
    sessionAutoContinueSwitch->setAccessibleName(autoContinue);
    auto* label = named(new InlineTextButton(autoContinue, context), "sessionAutoContinueLabel");
    label->setEmphasized(true);
    sessionAutoContinueLabel = label;
    sessionAutoContinueHint =
        themedLabel(context, "sessionAutoContinueHint", Theme::secondary, 12, QFont::Normal, false);
    switchRow->addWidget(sessionAutoContinueSwitch, 0, Qt::AlignVCenter);
    switchRow->addWidget(sessionAutoContinueLabel, 0, Qt::AlignVCenter);
    switchRow->addSpacing(4);
    switchRow->addWidget(sessionAutoContinueHint, 1, Qt::AlignVCenter);
    contextColumn->addLayout(switchRow);
    sessionAutoContinueError = themedLabel(context, "sessionAutoContinueError", Theme::attentionInk, 12);
    sessionAutoContinueError->hide();
    contextColumn->addWidget(sessionAutoContinueError);

    auto* goalColumn = new QVBoxLayout();
    sessionProviderGoal = bareBox(context, "sessionProviderGoal", goalColumn, 2);
    goalColumn->setContentsMargins(0, 6, 0, 0);
    sessionProviderGoalText = themedLabel(sessionProviderGoal, "sessionProviderGoalText", Theme::text, 13);
    sessionProviderGoalText->setMaximumLines(3);
    sessionProviderGoalMeta =
        themedLabel(sessionProviderGoal, "sessionProviderGoalMeta", Theme::secondary, 12, QFont::Normal, false);
    goalColumn->addWidget(sessionProviderGoalText);
    goalColumn->addWidget(sessionProviderGoalMeta);
    sessionProviderGoal->hide();
    contextColumn->addWidget(sessionProviderGoal);
    sessionContext = context;
    context->hide();
    pane->addView(context);

    // ---- analysis area ----
    auto* formColumn = new QVBoxLayout();
    sessionForm = bareBox(pane, "sessionForm", formColumn, 10);
    formColumn->setContentsMargins(0, 8, 0, 0);
    sessionFormHeading = themedLabel(sessionForm, "sessionFormHeading", Theme::text, 17, QFont::DemiBold);
    sessionFormHeading->setText(copy.text("この会話の続きを進める", "Continue this conversation"));
    sessionIntro = themedLabel(sessionForm, "sessionIntro", Theme::secondary, 13);
    formColumn->addWidget(sessionFormHeading);
    formColumn->addWidget(sessionIntro);

    auto* actions = new QHBoxLayout();
    actions->setSpacing(8);
    auto* original = named(new FlatOutlineButton(copy.text("Codex で開く", "Open in Codex"), sessionForm),
                           "sessionAnalysisOriginal");
    original->setTint(Theme::action);
    original->setTrailingSymbol(Symbol::arrowUpRight);
    original->hide();
    sessionAnalysisOriginal = original;
    auto* retryRow = new QHBoxLayout();
    sessionRetryRow = bareBox(sessionForm, "sessionRetryRow", retryRow, 0);
    sessionAction = named(new FlatOutlineButton(copy.text("再試行", "Retry"), sessionRetryRow), "sessionAction");
    retryRow->addWidget(sessionAction);
    followHidden(sessionRetryRow, sessionAction);
    sessionAction->hide();
    actions->addWidget(sessionAnalysisOriginal);
    actions->addWidget(sessionRetryRow);
    actions->addStretch(1);
    formColumn->addLayout(actions);

    auto* toggles = new QHBoxLayout();
    toggles->setSpacing(16);
    sessionEvidenceToggle =
        named(new InlineTextButton(copy.text("詳細", "Details"), sessionForm), "sessionEvidenceToggle");
    sessionPreferencesToggle =
        named(new InlineTextButton(copy.text("設定", "Settings"), sessionForm), "sessionPreferencesToggle");
    sessionManualToggle = named(new InlineTextButton(copy.text("目標を自分で設定", "Set a goal manually"), sessionForm),
                                "sessionManualToggle");
    toggles->addWidget(sessionEvidenceToggle);
    toggles->addWidget(sessionPreferencesToggle);
    toggles->addWidget(sessionManualToggle);
    toggles->addStretch(1);
    formColumn->addLayout(toggles);

    sessionAnalysisDetails = settingsStack({}, 6);
    sessionAnalysisDetails->setObjectName(QStringLiteral("sessionAnalysisDetails"));
    sessionAnalysisDetails->setParent(sessionForm);
    sessionAnalysisDetails->hide();
    formColumn->addWidget(sessionAnalysisDetails);

    sessionCapabilityNote = themedLabel(sessionForm, "sessionCapabilityNote", Theme::secondary, 12);
    sessionCapabilityNote->hide();
    formColumn->addWidget(sessionCapabilityNote);

    auto* preferencesColumn = new QVBoxLayout(new RoundedBox(Theme::input, Theme::border, 8, sessionForm));
    sessionPreferencesGroup = named(preferencesColumn->parentWidget(), "sessionPreferencesGroup");
    preferencesColumn->setContentsMargins(12, 8, 12, 8);
    auto* defaults = themedLabel(sessionPreferencesGroup, "sessionPreferencesText", Theme::secondary, 12);
    defaults->setText(copy.text("自動継続の既定値：Balanced · 30 分 · 最大 6 回",
                                "Auto-continue defaults: Balanced · 30 minutes · up to 6 continuations"));
    preferencesColumn->addWidget(defaults);
    sessionPreferencesGroup->hide();
    formColumn->addWidget(sessionPreferencesGroup);

    // ---- manual goal ----
    auto* fieldsColumn = new QVBoxLayout();
    sessionFields = bareBox(sessionForm, "sessionFields", fieldsColumn, 8);
    fieldsColumn->setContentsMargins(0, 4, 0, 0);
    const ComposerField goal = composerField(72);
    goal.box->setParent(sessionFields);
    sessionGoal = named(goal.editor, "sessionGoal");
    sessionGoal->setPlaceholderText(copy.text("この会話で達成したい結果を入力してください。",
                                              "Describe the outcome to finish in this conversation."));
    sessionGoal->setTabChangesFocus(true);
    fieldsColumn->addWidget(goal.box);
    auto* criteriaLabel = themedLabel(sessionFields, "sessionCriteriaLabel", Theme::text, 12, QFont::Medium, false);
    criteriaLabel->setText(copy.text("成功条件 · 1 行に 1 件", "Acceptance criteria · one per line"));
    fieldsColumn->addSpacing(4);
    fieldsColumn->addWidget(criteriaLabel);
    const ComposerField criteria = composerField(96);
    criteria.box->setParent(sessionFields);
    sessionCriteria = named(criteria.editor, "sessionCriteria");
    sessionCriteria->setPlaceholderText(copy.text("成功条件を一行ずつ入力", "Acceptance criteria, one per line"));
    sessionCriteria->setTabChangesFocus(true);
    fieldsColumn->addWidget(criteria.box);
    auto* criteriaNote = themedLabel(sessionFields, "sessionCriteriaNote", Theme::secondary, 12);
    criteriaNote->setText(copy.text("各条件は完了前にご自身で確認します。確認なしに達成済みとはしません。",
                                    "You verify each criterion before completion. VODU will not assume it passed."));
    fieldsColumn->addWidget(criteriaNote);
    formColumn->addWidget(sessionFields);

    auto* policyRow = new QHBoxLayout();
    sessionPolicyRow = bareBox(sessionForm, "sessionPolicyRow", policyRow, 12);
    sessionPolicy = named(new QComboBox(), "sessionPolicy");
    for (const SessionPolicyChoice& choice : kSessionPolicies) {
        sessionPolicy->addItem(copy.text(choice.japanese, choice.english), QString::fromLatin1(choice.value));
    }
    policyRow->addWidget(captioned(sessionPolicyRow, copy.text("自律性", "Autonomy policy"), sessionPolicy));
    sessionAdvancedToggle =
        named(new InlineTextButton(copy.text("詳細設定を表示", "Advanced limits"), sessionPolicyRow),
              "sessionAdvancedToggle");
    policyRow->addWidget(sessionAdvancedToggle, 0, Qt::AlignBottom);
    policyRow->addStretch(1);
    formColumn->addWidget(sessionPolicyRow);

    auto* advancedRow = new QHBoxLayout();
    sessionAdvancedGroup = bareBox(sessionForm, "sessionAdvancedGroup", advancedRow, 12);
    sessionMinutes = numberPicker(nullptr, "sessionMinutes", kSessionMinuteChoices);
    sessionContinuations = numberPicker(nullptr, "sessionContinuations", kSessionContinuationChoices);
    sessionFailures = numberPicker(nullptr, "sessionFailures", kSessionFailureChoices);
    advancedRow->addWidget(
        captioned(sessionAdvancedGroup, copy.text("最大時間（分）", "Maximum minutes"), sessionMinutes));
    advancedRow->addWidget(
        captioned(sessionAdvancedGroup, copy.text("最大継続回数", "Maximum continuations"), sessionContinuations));
    advancedRow->addWidget(
        captioned(sessionAdvancedGroup, copy.text("最大失敗回数", "Maximum failures"), sessionFailures));
    advancedRow->addStretch(1);
    formColumn->addWidget(sessionAdvancedGroup);

    auto* manualRow = new QHBoxLayout();
    sessionManualRow = bareBox(sessionForm, "sessionManualRow", manualRow, 8);
    manualRow->setContentsMargins(0, 4, 0, 0);
    sessionManualAction =
        named(new SolidActionButton(copy.text("手動の目標で開始", "Start with manual goal"), sessionManualRow),
              "sessionManualAction");
    manualRow->addWidget(sessionManualAction);
    manualRow->addStretch(1);
    followHidden(sessionManualRow, sessionManualAction);
    formColumn->addWidget(sessionManualRow);

    sessionPreviewNote = themedLabel(sessionForm, "sessionPreviewNote", Theme::secondary, 12);
    sessionPreviewNote->setText(
        copy.text("プレビューのみ · 会話は変更されません。", "Preview only · no session will be changed."));
    sessionPreviewNote->hide();
    formColumn->addWidget(sessionPreviewNote);
    sessionActionMessage = themedLabel(sessionForm, "sessionActionMessage", Theme::secondary, 12);
    sessionActionMessage->setTextFormat(Qt::PlainText);
    sessionActionMessage->hide();
    formColumn->addWidget(sessionActionMessage);

    for (QWidget* view : {static_cast<QWidget*>(sessionFields), sessionPolicyRow, sessionAdvancedGroup}) {
        view->hide();
    }
    sessionManualAction->hide();
    sessionForm->hide();
    pane->addView(sessionForm);
}
