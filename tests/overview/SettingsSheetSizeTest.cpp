#include "Harness.h"
#include "TestRegistry.h"

#include <QDialog>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>

class SettingsSheetSizeTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void workspaceButtonsShowWithoutScrolling_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<int>("screen");
        QTest::newRow("English") << "en-US" << 900;
        QTest::newRow("Japanese") << "ja-JP" << 900;
        QTest::newRow("English, 1366 x 768") << "en-US" << 738;
        QTest::newRow("Japanese, 1366 x 768") << "ja-JP" << 738;
    }

    void workspaceButtonsShowWithoutScrolling() {
        QFETCH(QString, language);
        QFETCH(int, screen);
        Harness harness({language});
        harness.fake->screenHeight = screen;
        harness.app().showWindow();
        harness.app().overview().showStatusPanel();
        QDialog* panel = harness.app().overview().statusPanel();
        QVERIFY(panel->isVisible());
        QVERIFY(panel->height() <= screen - 100);
        for (const char* name : {"copyButton", "refreshButton"}) {
            auto* button = view<QPushButton>(panel, name);
            QVERIFY(button);
            auto* scroll = qobject_cast<QScrollArea*>(button->parentWidget()->parentWidget());
            for (QWidget* up = button; up && !scroll; up = up->parentWidget()) {
                scroll = qobject_cast<QScrollArea*>(up);
            }
            QVERIFY(scroll);
            const QRect shown(QPoint(0, 0), scroll->viewport()->size());
            const QRect where(button->mapTo(scroll->viewport(), QPoint(0, 0)), button->size());
            QVERIFY2(shown.contains(where), name);
        }
    }
};

VODU_TEST_SUITE(SettingsSheetSizeTest)
#include "SettingsSheetSizeTest.moc"
