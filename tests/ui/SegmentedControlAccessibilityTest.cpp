#include "TestRegistry.h"
#include "ui/SegmentedControl.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QTest>

// A screen reader finds the segments as tabs, with their titles, the chosen one selected, and can press them.
class SegmentedControlAccessibilityTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void segmentsAreTabs() {
        SegmentedControl control(
            {QStringLiteral("Connection"), QStringLiteral("Dozadavi Zaro"), QStringLiteral("App")});
        control.setAccessibleName(QStringLiteral("Settings category"));
        control.resize(300, 32);
        control.setCurrentIndex(1);
        control.show();
        QSignalSpy activated(&control, &SegmentedControl::activated);

        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&control);
        QVERIFY(list);
        QCOMPARE(list->role(), QAccessible::PageTabList);
        QCOMPARE(list->text(QAccessible::Name), QStringLiteral("Settings category"));
        QCOMPARE(list->childCount(), 3);
        QStringList names;
        QList<bool> selected;
        for (int index = 0; index < list->childCount(); ++index) {
            QAccessibleInterface* tab = list->child(index);
            QCOMPARE(tab->role(), QAccessible::PageTab);
            QCOMPARE(tab->parent(), list);
            QCOMPARE(list->indexOfChild(tab), index);
            QVERIFY(list->rect().contains(tab->rect()));
            names.append(tab->text(QAccessible::Name));
            selected.append(tab->state().selected);
        }
        QCOMPARE(names, (QStringList{"Connection", "Dozadavi Zaro", "App"}));
        QCOMPARE(selected, (QList<bool>{false, true, false}));

        QAccessibleActionInterface* press = list->child(2)->actionInterface();
        QVERIFY(press);
        press->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(control.currentIndex(), 2);
        QCOMPARE(activated.size(), 1);
        QVERIFY(list->child(2)->state().selected && !list->child(1)->state().selected);
    }
};

VODU_TEST_SUITE(SegmentedControlAccessibilityTest)
#include "SegmentedControlAccessibilityTest.moc"
