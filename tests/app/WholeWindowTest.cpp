// The whole window and its settings, every page and tab: what a screen reader finds on each control, and host text
// shown as text on every label.
#include "Harness.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "app/AutomationOutput.h"
#include "ui/StatusRow.h"
#include "ui/ThemedLabel.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QMainWindow>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

namespace {

bool interactive(QAccessibleInterface* node) {
    static const QList<QAccessible::Role> controls{
        QAccessible::PushButton,   QAccessible::CheckBox,      QAccessible::RadioButton, QAccessible::ComboBox,
        QAccessible::EditableText, QAccessible::PageTab,       QAccessible::PageTabList, QAccessible::List,
        QAccessible::Table,        QAccessible::Slider,        QAccessible::SpinBox,     QAccessible::Link,
        QAccessible::ButtonMenu,   QAccessible::ButtonDropDown};
    const QAccessible::State state = node->state();
    if (state.invisible || state.offscreen) {
        return false;
    }
    // Reached by Tab, or a control by its role; a label that takes focus only from a click is read as its text.
    const auto* widget = qobject_cast<const QWidget*>(node->object());
    const bool tabStop = widget ? (widget->focusPolicy() & Qt::TabFocus) != 0 : state.focusable;
    return tabStop || controls.contains(node->role());
}

// Every control a screen reader can reach under `root`, described when it has no name or no telling role. Rows
// and cells of lists are read from their models; the list itself must be named.
void walk(QAccessibleInterface* node, QStringList& problems, int depth = 0) {
    if (!node || !node->isValid() || depth > 60) {
        return;
    }
    if (interactive(node)) {
        const QString name = node->text(QAccessible::Name).trimmed();
        QObject* object = node->object();
        const QString where =
            object ? QString::fromLatin1(object->metaObject()->className()) + QLatin1Char(' ') + object->objectName()
                   : QStringLiteral("(element) ") + node->parent()->text(QAccessible::Name);
        if (name.isEmpty()) {
            problems.append(where + QStringLiteral(": no name"));
        }
        // A pop-up without a name of its own is read by its current value ("30", "Strict").
        const auto* widget = qobject_cast<const QWidget*>(object);
        if (node->role() == QAccessible::ComboBox && widget && widget->accessibleName().isEmpty()) {
            problems.append(where + QStringLiteral(": named only by its value"));
        }
        // Client is what AT-SPI calls a filler.
        if (node->role() == QAccessible::NoRole || node->role() == QAccessible::Client ||
            node->role() == QAccessible::Pane) {
            problems.append(where + QStringLiteral(": generic role ") + QString::number(node->role()));
        }
    }
    if (node->role() == QAccessible::Table || node->role() == QAccessible::List) {
        return;
    }
    for (int index = 0; index < node->childCount(); ++index) {
        walk(node->child(index), problems, depth + 1);
    }
}

const QString kMarkup = QStringLiteral("<img src=\"/dev/zero\"><b>&amp;</b>");

// What a reader sees of a tool tip: rich text as rendered, anything else as it is.
QString shownToolTip(const QString& toolTip) {
    if (!Qt::mightBeRichText(toolTip)) {
        return toolTip;
    }
    QTextDocument document;
    document.setHtml(toolTip);
    return document.toPlainText();
}

} // namespace

class WholeWindowTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyControlIsNamed_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("fixture");
        QTest::newRow("English") << "en-US"
                                 << "preview-en.json";
        QTest::newRow("Japanese") << "ja-JP"
                                  << "preview-ja.json";
    }

    void everyControlIsNamed() {
        QFETCH(QString, language);
        QFETCH(QString, fixture);
        Harness harness({language}, Harness::Build::nothing);
        AppDelegate& app = harness.app();
        app.applicationDidFinishLaunching({QStringLiteral("vodu-status"), QStringLiteral("--status-fixture"),
                                           TestBundle::sourcePath(QStringLiteral("fixtures/") + fixture)});
        QVERIFY(QTest::qWaitForWindowExposed(app.window()));
        QStringList problems;
        QTest::mouseClick(view<QWidget>(app, "tasksNav"), Qt::LeftButton);
        walk(QAccessible::queryAccessibleInterface(app.window()), problems);
        // Every conversation and run of the preview, with its disclosures open.
        QTest::mouseClick(view<QWidget>(app, "sessionsNav"), Qt::LeftButton);
        auto* list = view<QAbstractItemView>(app, "deliveryTable");
        int shown = 0;
        for (int row = 0; row < list->model()->rowCount(); ++row) {
            const QModelIndex index = list->model()->index(row, 0);
            if (!(index.flags() & Qt::ItemIsSelectable)) {
                continue;
            }
            list->setCurrentIndex(index);
            for (const char* disclosure : {"sessionAdvancedToggle", "deliverySettingsToggle"}) {
                auto* toggle = view<QAbstractButton>(app, disclosure);
                if (toggle && toggle->isVisible()) {
                    toggle->click();
                }
            }
            walk(QAccessible::queryAccessibleInterface(app.window()), problems);
            ++shown;
        }
        QVERIFY(shown >= 5);
        view<QAction>(app, "mainMenuSettings")->trigger();
        auto* settings = view<QDialog>(app, "statusPanel");
        QVERIFY(settings->isVisible());
        auto* tabs = view<QStackedWidget>(app, "settingsTabs");
        for (int tab = 0; tab < tabs->count(); ++tab) {
            tabs->setCurrentIndex(tab);
            walk(QAccessible::queryAccessibleInterface(settings), problems);
        }
        problems.removeDuplicates();
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }

    // Host text is shown as the characters it holds: markup in any field is never read as rich text (which would
    // load images from local paths, devices or pipes), and tool tips and menu titles show it literally as well.
    void markupInEveryFieldIsShownLiterally() {
        Harness harness;
        AppDelegate& app = harness.app();
        QString snapshot = QStringLiteral(R"({
            "version": "M", "auth": {"state": "signed_in", "userLabel": "M"},
            "connection": {"state": "offline", "error": "M"},
            "providers": {"codex": {"state": "ready", "version": "M"}, "claude": {"state": "ready", "version": "M"}},
            "deliveryHooks": {"runs": [{"provider": "M", "state": "blocked", "reason": "M", "needsAttention": true}]},
            "sessionSupervision": {"providers": {"codex": {"discovery": "unavailable", "reason": "M"}},
                                   "sessions": [{"provider": "codex", "session": "s1", "title": "M"}]},
            "tasks": {"activeCount": 1, "items": [{"key": "t1", "label": "M", "state": "running"}]},
            "update": {"state": "failed", "message": "M"}})");
        snapshot.replace(QStringLiteral("M"), QString(kMarkup).replace(u'"', QStringLiteral("\\\"")));
        const QJsonObject status = json(snapshot);
        QVERIFY(!status.isEmpty());
        QTemporaryDir output;
        harness.fake->environment.insert(QStringLiteral("VODU_AUTOMATION_DIR"), output.path());
        app.startAutomationOutput();
        app.showWindow();
        app.render(status);
        view<QAction>(app, "mainMenuSettings")->trigger();
        QCoreApplication::processEvents();

        // Every label of the window and the sheet reads its text as plain text; the host's text reaches several.
        int showing = 0;
        for (const QLabel* label : app.window()->findChildren<QLabel*>()) {
            QVERIFY2(label->text().isEmpty() || label->textFormat() == Qt::PlainText, qPrintable(label->objectName()));
            showing += label->text().contains(kMarkup);
        }
        QVERIFY(showing >= 5);
        QCOMPARE(shownToolTip(view<StatusRow>(app, "accountRow")->detail()->toolTip()), kMarkup);

        // A summary holding host text: the tray's menu title and tool tip show it as it is.
        app.renderDisconnected(QStringLiteral("A & B ") + kMarkup);
        QCOMPARE(view<QAction>(app, "menuStatus")->text(),
                 QStringLiteral("A && B ") + QString(kMarkup).replace(u'&', QStringLiteral("&&")));
        const QJsonObject tray = app.findChild<AutomationOutput*>()->describe().value(u"statusItem").toObject();
        QCOMPARE(shownToolTip(tray.value(u"toolTip").toString()), QStringLiteral("VODU · A & B ") + kMarkup);
    }
};

VODU_TEST_SUITE(WholeWindowTest)
#include "WholeWindowTest.moc"
