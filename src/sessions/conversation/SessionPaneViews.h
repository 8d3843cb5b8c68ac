#pragma once

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QWidget;
class SettingsStack;
class ThemedLabel;
class ToggleSwitch;
struct Copy;

// The conversation pane of the Sessions home, built once into its place: the context area (auto-continue switch
// and the provider's goal), the analysis area (heading, intro, details, the way back to the conversation, retry)
// and the manual-goal form. The controller fills and shows them; here they only get their names and first texts.
struct SessionPaneViews {
    // Context area.
    QWidget* sessionContext = nullptr;
    ToggleSwitch* sessionAutoContinueSwitch = nullptr;
    QPushButton* sessionAutoContinueLabel = nullptr;
    ThemedLabel* sessionAutoContinueHint = nullptr;
    ThemedLabel* sessionAutoContinueError = nullptr;
    QWidget* sessionProviderGoal = nullptr;
    ThemedLabel* sessionProviderGoalText = nullptr;
    ThemedLabel* sessionProviderGoalMeta = nullptr;

    // The form container: analysis area, toggles and the manual goal.
    QWidget* sessionForm = nullptr;
    ThemedLabel* sessionFormHeading = nullptr;
    ThemedLabel* sessionIntro = nullptr;
    SettingsStack* sessionAnalysisDetails = nullptr;
    QPushButton* sessionAnalysisOriginal = nullptr;
    QWidget* sessionRetryRow = nullptr;
    QPushButton* sessionAction = nullptr;
    QPushButton* sessionEvidenceToggle = nullptr;
    QPushButton* sessionPreferencesToggle = nullptr;
    QPushButton* sessionManualToggle = nullptr;
    ThemedLabel* sessionCapabilityNote = nullptr;
    QWidget* sessionPreferencesGroup = nullptr;
    QWidget* sessionFields = nullptr;
    QPlainTextEdit* sessionGoal = nullptr;
    QPlainTextEdit* sessionCriteria = nullptr;
    QWidget* sessionPolicyRow = nullptr;
    QComboBox* sessionPolicy = nullptr;
    QPushButton* sessionAdvancedToggle = nullptr;
    QWidget* sessionAdvancedGroup = nullptr;
    QComboBox* sessionMinutes = nullptr;
    QComboBox* sessionContinuations = nullptr;
    QComboBox* sessionFailures = nullptr;
    QWidget* sessionManualRow = nullptr;
    QPushButton* sessionManualAction = nullptr;
    ThemedLabel* sessionPreviewNote = nullptr;
    ThemedLabel* sessionActionMessage = nullptr;

    // Builds every view into `pane`, hidden until a conversation is presented.
    void build(SettingsStack* pane, const Copy& copy);
};
