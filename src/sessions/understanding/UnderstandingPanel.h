#pragma once

#include "sessions/understanding/Understanding.h"

#include <QJsonObject>
#include <QObject>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;
class ThemedLabel;
struct AppContext;
struct SupervisionModel;

// What the service understood of a managed run's goal, its sources and progress, and its clarification question
// with the answer field. Drawn for runs only; the conversation view hides it.
class UnderstandingPanel final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(UnderstandingPanel)

public:
    UnderstandingPanel(AppContext& context, const SupervisionModel& model, QObject* parent = nullptr);

    // The progress group and the panel, built once into `parent` (a vertical stack of the Sessions home).
    void build(QWidget* parent);
    void renderUnderstanding(const QJsonObject& run);
    // Hides the panel and its progress group.
    void hide();
    // Sends the typed answer to the presented run's open question.
    void answerSessionQuestion();

Q_SIGNALS:
    // The feedback line about `subject` (the run answered) should read `text`.
    void feedbackChanged(const QString& subject, const QString& text, bool failure);

private:
    QWidget* buildProgressGroup(QWidget* parent);
    QWidget* buildPanel(QWidget* parent);
    void showProgressItems(const QStringList& items);

    AppContext& m_context;
    const SupervisionModel& m_model;
    // What the lists were last built from.
    QList<UnderstandingSource> m_shownSources;
    QStringList m_shownProgressItems;
    QStringList m_shownDone;
    QStringList m_shownRemaining;
    // The run's task and question the answer field belongs to; another one empties the field.
    QString m_answerQuestionIdentity;
    // The question whose answer is on its way; its button stays disabled until the result.
    QString m_answerInFlight;

    QWidget* m_progressGroup = nullptr;
    QWidget* m_progressItems = nullptr;
    QWidget* m_nextRow = nullptr;
    QLabel* m_next = nullptr;
    QWidget* m_group = nullptr;
    QLabel* m_heading = nullptr;
    QLabel* m_interpretation = nullptr;
    ThemedLabel* m_goal = nullptr;
    QWidget* m_evidence = nullptr;
    QLabel* m_evidenceHeading = nullptr;
    QWidget* m_sourceRows = nullptr;
    QWidget* m_workGrid = nullptr;
    QWidget* m_doneItems = nullptr;
    QWidget* m_remainingItems = nullptr;
    QLabel* m_question = nullptr;
    QWidget* m_answerRow = nullptr;
    QLineEdit* m_answer = nullptr;
    QPushButton* m_answerButton = nullptr;
};
