// The understanding panel of a managed run: its goal, the snippets it rests on, the work reported done and still
// to do, the next step, and the clarification question with its answer field.
#include "sessions/understanding/UnderstandingPanel.h"

#include "context/AppContext.h"
#include "model/RecordIdentity.h"
#include "sessions/home/HomeSelection.h"
#include "sessions/records/SessionRecords.h"
#include "sessions/understanding/Understanding.h"
#include "ui/Builders.h"
#include "ui/FlatButtons.h"
#include "ui/Surfaces.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"
#include "ui/ThemedLabel.h"
#include "ui/ViewFactory.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QTextDocument>
#include <QVBoxLayout>

#include <tuple>

namespace {

// The check mark before a progress item, drawn in the secondary colour of the appearance shown.
class CheckMark final : public QWidget {
public:
    explicit CheckMark(QWidget* parent) : QWidget(parent) { setFixedSize(18, 18); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        drawSymbol(painter, Symbol::checkmark, QRectF(2, 3, 14, 14), Theme::secondary.resolve(this));
    }
};

// A label for host text: plain text, never markup.
ThemedLabel* hostLabel(QWidget* parent, const char* name, ThemeColor color, qreal size,
                       QFont::Weight weight = QFont::Normal) {
    ThemedLabel* label = themedLabel(parent, name, color, size, weight);
    label->setTextFormat(Qt::PlainText);
    return label;
}

ThemedLabel* fixedLabel(QWidget* parent, const char* name, const QString& text, ThemeColor color, qreal size,
                        QFont::Weight weight = QFont::Normal) {
    ThemedLabel* label = themedLabel(parent, name, color, size, weight);
    label->setText(text);
    return label;
}

QWidget* row(QWidget* parent, int spacing, QWidget* first, QWidget* second) {
    auto* view = new QWidget(parent);
    auto* line = new QHBoxLayout(view);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(spacing);
    line->addWidget(first, 0, Qt::AlignTop);
    line->addWidget(second, 1, Qt::AlignTop);
    return view;
}

void clearStack(QWidget* stack) {
    QLayout* column = stack->layout();
    while (QLayoutItem* item = column->takeAt(0)) {
        if (QWidget* view = item->widget()) {
            view->hide();
            view->deleteLater();
        }
        delete item;
    }
}

void addRow(QWidget* stack, QWidget* view) {
    stack->layout()->addWidget(view);
}

} // namespace

UnderstandingPanel::UnderstandingPanel(AppContext& context, const SupervisionModel& model, QObject* parent)
    : QObject(parent), m_context(context), m_model(model) {}

void UnderstandingPanel::build(QWidget* parent) {
    QLayout* column = parent->layout();
    column->addWidget(buildProgressGroup(parent));
    column->addWidget(buildPanel(parent));
    hide();
}

QWidget* UnderstandingPanel::buildProgressGroup(QWidget* parent) {
    const Copy& copy = m_context.copy;
    m_progressGroup = named(new QWidget(parent), "understandingProgressGroup");
    auto* column = new QVBoxLayout(m_progressGroup);
    column->setContentsMargins(0, 20, 0, 0);
    column->setSpacing(10);
    column->addWidget(fixedLabel(m_progressGroup, "understandingProgressHeading", copy.text("進み具合", "Progress"),
                                 Theme::text, 13, QFont::DemiBold));
    m_progressItems = named(settingsStack({}, 8), "understandingProgressItems");
    column->addWidget(m_progressItems);
    auto* nextLabel = fixedLabel(nullptr, "understandingNextLabel", copy.text("次に進めること", "Next up"),
                                 Theme::secondary, 12, QFont::Medium);
    nextLabel->setWordWrap(false);
    nextLabel->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    m_next = hostLabel(nullptr, "understandingNext", Theme::text, 13);
    m_nextRow = named(row(m_progressGroup, 8, nextLabel, m_next), "understandingNextRow");
    column->addWidget(m_nextRow);
    return m_progressGroup;
}

QWidget* UnderstandingPanel::buildPanel(QWidget* parent) {
    const Copy& copy = m_context.copy;
    m_group = named(new QWidget(parent), "understandingGroup");
    auto* column = new QVBoxLayout(m_group);
    column->setContentsMargins(0, 20, 0, 0);
    column->setSpacing(10);
    auto* rule = named(new SurfaceView(m_group), "understandingRule");
    rule->setFill(Theme::border);
    rule->setFixedHeight(1);
    column->addWidget(rule);
    // The open question first: it is what the run waits for.
    m_question = hostLabel(m_group, "understandingQuestion", Theme::text, 14, QFont::Medium);
    column->addWidget(m_question);
    m_answer = named(new QLineEdit(), "understandingAnswer");
    m_answer->setPlaceholderText(copy.text("この質問に答える", "Answer this question"));
    m_answer->setAccessibleName(copy.text("会話の確認質問への回答", "Answer the session clarification"));
    m_answerButton =
        named(new FlatOutlineButton(copy.text("回答して続ける", "Continue with answer")), "understandingAnswerButton");
    m_answerButton->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_answerRow = named(new QWidget(m_group), "understandingAnswerRow");
    auto* answerLine = new QHBoxLayout(m_answerRow);
    answerLine->setContentsMargins(0, 0, 0, 0);
    answerLine->setSpacing(8);
    answerLine->addWidget(m_answer, 1);
    answerLine->addWidget(m_answerButton);
    column->addWidget(m_answerRow);
    column->addSpacing(6);
    m_heading = fixedLabel(m_group, "understandingHeading", copy.text("目指していること", "Working toward"),
                           Theme::secondary, 13, QFont::Medium);
    m_interpretation = fixedLabel(m_group, "understandingInterpretation",
                                  copy.text("会話からの解釈", "Sample interpretation"), Theme::secondary, 12);
    m_goal = hostLabel(m_group, "understandingGoal", Theme::text, 15, QFont::Medium);
    m_goal->setMaximumLines(3);
    for (QWidget* view :
         {static_cast<QWidget*>(m_heading), static_cast<QWidget*>(m_interpretation), static_cast<QWidget*>(m_goal)}) {
        column->addWidget(view);
    }

    m_evidence = named(settingsStack({}, 8), "understandingEvidence");
    m_evidenceHeading = fixedLabel(m_evidence, "understandingEvidenceHeading",
                                   copy.text("元の会話から", "From your conversation"), Theme::secondary, 13);
    m_sourceRows = named(settingsStack({}, 8), "understandingSourceRows");
    m_workGrid = named(new QWidget(m_evidence), "understandingWorkGrid");
    auto* grid = new QHBoxLayout(m_workGrid);
    grid->setContentsMargins(0, 6, 0, 0);
    grid->setSpacing(16);
    const auto workColumn = [grid](const char* name, const QString& title, QWidget*& items, const char* itemsName) {
        auto* view = named(settingsStack({}, 6), name);
        auto* heading = fixedLabel(view, "understandingWorkHeading", title, Theme::secondary, 12, QFont::Medium);
        items = named(settingsStack({}, 8), itemsName);
        static_cast<SettingsStack*>(view)->addView(heading);
        static_cast<SettingsStack*>(view)->addView(items);
        grid->addWidget(view, 1, Qt::AlignTop);
    };
    workColumn("understandingDone", copy.text("進み具合（会話からの報告）", "Progress reported in the conversation"),
               m_doneItems, "understandingDoneItems");
    workColumn("understandingRemaining", copy.text("残りの作業", "Still to do"), m_remainingItems,
               "understandingRemainingItems");
    auto* evidence = static_cast<SettingsStack*>(m_evidence);
    evidence->addView(m_evidenceHeading);
    evidence->addView(m_sourceRows);
    evidence->addView(m_workGrid);
    column->addWidget(m_evidence);

    connect(m_answerButton, &QPushButton::clicked, this, &UnderstandingPanel::answerSessionQuestion);
    connect(m_answer, &QLineEdit::returnPressed, this, [this] {
        if (m_answerButton->isEnabled()) {
            answerSessionQuestion();
        }
    });
    return m_group;
}

void UnderstandingPanel::hide() {
    if (m_group) {
        m_group->hide();
        m_progressGroup->hide();
    }
}

void UnderstandingPanel::showProgressItems(const QStringList& items) {
    clearStack(m_progressItems);
    for (const QString& item : items) {
        auto* texts = settingsStack({}, 4);
        auto* itemLabel = hostLabel(texts, "understandingProgressItem", Theme::text, 14);
        itemLabel->setText(item);
        auto* note = fixedLabel(texts, "understandingProgressNote",
                                m_context.copy.text("元の会話からの報告", "Reported in the original conversation"),
                                Theme::secondary, 12);
        texts->addView(itemLabel);
        texts->addView(note);
        addRow(m_progressItems, row(m_progressItems, 16, new CheckMark(nullptr), texts));
    }
}

void UnderstandingPanel::renderUnderstanding(const QJsonObject& run) {
    if (!m_group) {
        return;
    }
    const Copy& copy = m_context.copy;
    const qsizetype sessionIndex = runSessionIndex(m_model.sessionCandidates, run);
    const QJsonObject session = sessionIndex >= 0 ? m_model.sessionCandidates.at(sessionIndex) : QJsonObject();
    const UnderstandingPresentation p =
        understandingPresentation(run, session, m_context.link.fixtureMode, m_context.link.connected, copy);
    m_group->setVisible(p.visible);
    m_progressGroup->setVisible(p.visible);
    m_evidence->setVisible(p.visible);
    if (!p.visible) {
        return;
    }
    m_interpretation->hide();
    m_heading->setText(p.heading);
    m_goal->setText(p.goal);
    m_goal->setToolTip(Qt::convertFromPlainText(p.goal)); // shown literally, markup and all
    m_goal->setHidden(p.goal.isEmpty());

    // The lists are rebuilt only when they changed: a heartbeat repeating the same run keeps their views.
    if (p.sources != m_shownSources) {
        m_shownSources = p.sources;
        clearStack(m_sourceRows);
        for (const UnderstandingSource& source : p.sources) {
            auto* label = hostLabel(nullptr, "understandingSourceLabel", Theme::secondary, 12);
            label->setText(source.label);
            label->setFixedWidth(112);
            auto* snippet = hostLabel(nullptr, "understandingSourceSnippet", Theme::secondary, 13);
            snippet->setText(source.snippet);
            addRow(m_sourceRows, named(row(m_sourceRows, 16, label, snippet), "understandingSourceRow"));
        }
    }
    m_sourceRows->setHidden(p.sources.isEmpty());

    if (p.progressItems != m_shownProgressItems) {
        m_shownProgressItems = p.progressItems;
        showProgressItems(p.progressItems);
    }
    m_progressItems->setHidden(p.progressItems.isEmpty());

    for (const auto& [stack, items, shown] : {std::tuple{m_doneItems, &p.done, &m_shownDone},
                                              std::tuple{m_remainingItems, &p.remaining, &m_shownRemaining}}) {
        if (*items == *shown) {
            continue;
        }
        *shown = *items;
        clearStack(stack);
        for (const QString& item : *items) {
            auto* label = hostLabel(stack, "understandingWorkItem", Theme::secondary, 13);
            label->setText(QStringLiteral("•  ") + item);
            addRow(stack, label);
        }
    }
    m_progressGroup->setVisible(p.progressGroupVisible);
    m_workGrid->setVisible(p.workGridVisible);
    // A heading over nothing would promise quotes that are not there.
    m_evidenceHeading->setHidden(p.sources.isEmpty() && !p.workGridVisible);
    m_next->setText(p.next);
    m_nextRow->setHidden(p.next.isEmpty());
    m_question->setText(p.question);
    m_question->setVisible(p.questionVisible);

    if (p.answerIdentity != m_answerQuestionIdentity) {
        m_answerQuestionIdentity = p.answerIdentity;
        m_answer->clear();
    }
    m_answerRow->setVisible(p.answerRowVisible);
    m_answerButton->setEnabled(p.answerEnabled && (m_answerInFlight.isEmpty() || m_answerInFlight != p.answerIdentity));
}

void UnderstandingPanel::answerSessionQuestion() {
    const Copy& copy = m_context.copy;
    if (m_context.link.fixtureMode || !m_context.link.connected) {
        return;
    }
    // The run the panel was drawn for: the one the pane presents.
    const QJsonObject run = selectedRun(m_model).value_or(QJsonObject());
    const QString subject = deliveryIdentity(run);
    const SessionAnswer answer =
        sessionAnswer(run, m_answer->text(), m_context.link.fixtureMode, m_context.link.connected, copy);
    if (answer.outcome == SessionAnswer::Outcome::ignored) {
        return;
    }
    if (answer.outcome == SessionAnswer::Outcome::refused) {
        Q_EMIT feedbackChanged(subject, answer.message, true);
        return;
    }
    m_answerButton->setEnabled(false);
    m_answerInFlight = m_answerQuestionIdentity;
    Q_EMIT feedbackChanged(subject, sessionAnswerSendingText(copy), false);
    const QPointer<UnderstandingPanel> self(this);
    m_context.commands.send(QStringLiteral("session_answer"), false, std::nullopt, answer.fields,
                            [self, subject](bool ok, const std::optional<QString>& message) {
                                if (!self) {
                                    return;
                                }
                                self->m_answerInFlight.clear();
                                Q_EMIT self->feedbackChanged(
                                    subject, sessionAnswerResultText(ok, message, self->m_context.copy), !ok);
                                self->m_context.commands.send(QStringLiteral("refresh"));
                            });
}
