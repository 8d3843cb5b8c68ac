#include "TestRegistry.h"
#include "ui/FlatButtons.h"
#include "ui/SegmentedControl.h"
#include "ui/SidebarNavButton.h"
#include "ui/Surfaces.h"
#include "ui/Theme.h"
#include "ui/ThemedLabel.h"

#include <QAccessible>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <optional>

namespace {

// Whether the pixel at `point`, or else any pixel of the widget, is within 8 per channel of `colour`.
bool shows(QWidget* widget, const ThemeColor& colour, std::optional<QPoint> point = {}) {
    const QImage image = widget->grab().toImage();
    const QColor c = colour.resolve(appearanceOf(widget));
    for (int i = 0; i < (point ? 1 : image.width() * image.height()); ++i) {
        const QColor a = image.pixelColor(point.value_or(QPoint(i % image.width(), i / image.width())));
        if (std::abs(a.red() - c.red()) <= 8 && std::abs(a.green() - c.green()) <= 8 &&
            std::abs(a.blue() - c.blue()) <= 8) {
            return true;
        }
    }
    return false;
}

} // namespace

class ControlsTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Controls paint themselves from the theme; a disabled button is greyed, and an inactive surface and an
    // unselected sidebar button draw nothing at all (on magenta, so that anything left unpainted shows).
    void paintedFromTheTheme() {
        QWidget window;
        setWindowAppearance(&window, Appearance::light);
        window.setPalette(QPalette(Qt::magenta, Qt::magenta));
        window.setAutoFillBackground(true);
        window.resize(200, 112);
        auto* button = new SolidActionButton(QStringLiteral("Approve"), &window);
        button->resize(button->sizeHint());
        auto* surface = new AttentionSurface(&window);
        surface->setGeometry(0, 40, 200, 40);
        auto* nav = new SidebarNavButton(QStringLiteral("Tasks"), Symbol::checkmarkSquare, &window);
        nav->setGeometry(0, 80, 200, 32);
        QVERIFY(shows(button, Theme::action, QPoint(4, 16)) && shows(button, Theme::actionText));
        const QImage unfilled = window.grab().toImage();
        for (const QPoint point : {QPoint(0, 60), QPoint(1, 60), QPoint(100, 60), QPoint(199, 79), QPoint(100, 96)}) {
            QCOMPARE(unfilled.pixelColor(point), QColor(Qt::magenta));
        }
        button->setEnabled(false);
        surface->setActive(true);
        nav->setSelected(true);
        QVERIFY(shows(button, Theme::selected, QPoint(4, 16)) && shows(button, Theme::secondary) &&
                !shows(button, Theme::action) && shows(nav, Theme::selected, QPoint(100, 16)));
        QVERIFY(shows(surface, Theme::attentionFill, QPoint(100, 20)) &&
                shows(surface, Theme::attentionInk, QPoint(1, 20)));
    }

    // Remembered heights follow the text, font, margins and line limit, whatever widths were asked before.
    void wrappedLabelHeightsFollowTheirText() {
        ThemedLabel label(Theme::text);
        label.setWordWrap(true);
        QLabel reference;
        reference.setWordWrap(true);
        const auto same = [&](const char* step) {
            reference.setText(label.text());
            reference.setFont(label.font());
            reference.setContentsMargins(label.contentsMargins());
            for (const int width : {60, 400, 60, 120, 400, 240, 60}) {
                QVERIFY2(label.heightForWidth(width) == reference.heightForWidth(width), step);
            }
        };
        label.setText(QStringLiteral("Publish the billing webhook fix to staging and confirm the retries"));
        same("first text");
        label.setContentsMargins(8, 8, 8, 8);
        same("margins");
        label.setMaximumLines(2); // a single line from here on, whatever the limit
        QCOMPARE(label.heightForWidth(60), 2 * label.fontMetrics().lineSpacing() + 16);
        label.setText(QStringLiteral("Short"));
        same("shorter text");
        label.setFont(QFont(label.font().family(), label.font().pointSize() * 2));
        same("larger font");
    }

    // A screen reader finds the segments as tabs, with their titles, the chosen one selected, and can press them.
    void segmentsAreTabs() {
        SegmentedControl control(
            {QStringLiteral("Connection"), QStringLiteral("Dozadavi Zaro"), QStringLiteral("App")});
        control.resize(300, 32);
        control.setCurrentIndex(1);
        control.show();
        QSignalSpy activated(&control, &SegmentedControl::activated);
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&control);
        QVERIFY(list && list->role() == QAccessible::PageTabList);
        // Each tab's title, marked "*" when selected and "?" when it is not a tab placed inside the list.
        const auto tabs = [list] {
            QStringList titles;
            for (int index = 0; index < list->childCount(); ++index) {
                QAccessibleInterface* tab = list->child(index);
                const bool placed = tab->role() == QAccessible::PageTab && tab->parent() == list &&
                                    list->indexOfChild(tab) == index && list->rect().contains(tab->rect());
                titles.append(tab->text(QAccessible::Name) + (tab->state().selected ? "*" : "") + (placed ? "" : "?"));
            }
            return titles;
        };
        QCOMPARE(tabs(), (QStringList{"Connection", "Dozadavi Zaro*", "App"}));
        list->child(2)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(control.currentIndex(), 2);
        QCOMPARE(activated.size(), 1);
        QCOMPARE(tabs(), (QStringList{"Connection", "Dozadavi Zaro", "App*"}));
    }
};

VODU_TEST_SUITE(ControlsTest)
#include "ControlsTest.moc"
