#include "Harness.h"
#include "TestRegistry.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QDialog>
#include <QMainWindow>
#include <QTest>

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

bool generic(QAccessible::Role role) {
    // Client is what AT-SPI calls a filler.
    return role == QAccessible::NoRole || role == QAccessible::Client || role == QAccessible::Pane;
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
        if (generic(node->role())) {
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

QStringList problemsUnder(QWidget* root) {
    QStringList problems;
    walk(QAccessible::queryAccessibleInterface(root), problems);
    return problems;
}

} // namespace

// A screen reader walking the window and the settings finds a name and a telling role on every control it can reach,
// on each page and settings tab, in both languages.
class AccessibilityTreeTest final : public QObject {
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
        problems += problemsUnder(app.window());
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
            problems += problemsUnder(app.window());
            ++shown;
        }
        QVERIFY(shown >= 5);
        view<QAction>(app, "mainMenuSettings")->trigger();
        QDialog* settings = app.overview().statusPanel();
        QVERIFY(settings->isVisible());
        for (int tab = 0; tab < 3; ++tab) {
            app.overview().selectSettingsTab(tab);
            problems += problemsUnder(settings);
        }
        problems.removeDuplicates();
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }
};

VODU_TEST_SUITE(AccessibilityTreeTest)
#include "AccessibilityTreeTest.moc"
