#include "TestRegistry.h"
#include "ui/FlatButtons.h"
#include "ui/SidebarNavButton.h"
#include "ui/StatusRow.h"
#include "ui/Surfaces.h"
#include "ui/Theme.h"
#include "ui/ThemedLabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QTest>

#include <memory>

namespace {

// A window in a chosen appearance with a magenta background, so that anything a control leaves unpainted shows.
std::unique_ptr<QWidget> stage(Appearance appearance) {
    auto window = std::make_unique<QWidget>();
    setWindowAppearance(window.get(), appearance);
    QPalette magenta = window->palette();
    magenta.setColor(QPalette::Window, Qt::magenta);
    window->setPalette(magenta);
    window->setAutoFillBackground(true);
    return window;
}

bool near(const QColor& a, const ThemeColor& b, QWidget* widget) {
    const QColor c = b.resolve(appearanceOf(widget));
    return std::abs(a.red() - c.red()) <= 8 && std::abs(a.green() - c.green()) <= 8 &&
           std::abs(a.blue() - c.blue()) <= 8;
}

bool near(QWidget* widget, QPoint point, const ThemeColor& colour) {
    return near(widget->grab().toImage().pixelColor(point), colour, widget);
}

// Whether some pixel of the widget is close to `colour`.
bool contains(QWidget* widget, const ThemeColor& colour) {
    const QImage image = widget->grab().toImage();
    for (int i = 0; i < image.width() * image.height(); ++i) {
        if (near(image.pixelColor(i % image.width(), i / image.width()), colour, widget)) {
            return true;
        }
    }
    return false;
}

} // namespace

class ControlsTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Each control is repainted from the theme when the appearance changes, not rebuilt.
    void solidButtonAndAttentionSurface() {
        for (const Appearance look : {Appearance::light, Appearance::dark}) {
            auto window = stage(look == Appearance::light ? Appearance::dark : Appearance::light);
            auto* button = new SolidActionButton(QStringLiteral("Approve"), window.get());
            button->resize(button->sizeHint());
            setWindowAppearance(window.get(), look);
            QVERIFY(near(button, QPoint(4, 16), Theme::action));
            QVERIFY(contains(button, Theme::actionText));
            button->setEnabled(false);
            QVERIFY(near(button, QPoint(4, 16), Theme::selected));
            QVERIFY(contains(button, Theme::secondary) && !contains(button, Theme::action));
            auto stageOfSurface = stage(look);
            stageOfSurface->resize(200, 40);
            auto* surface = new AttentionSurface(stageOfSurface.get());
            surface->setGeometry(0, 0, 200, 40);
            const QImage inactive = stageOfSurface->grab().toImage(); // an inactive surface draws nothing at all
            for (const QPoint point : {QPoint(0, 20), QPoint(1, 20), QPoint(100, 20), QPoint(199, 39)}) {
                QCOMPARE(inactive.pixelColor(point), QColor(Qt::magenta));
            }
            surface->setActive(true);
            QVERIFY(near(surface, QPoint(100, 20), Theme::attentionFill));
            QVERIFY(near(surface, QPoint(1, 20), Theme::attentionInk));
        }
    }

    void longStatusRowDetailTruncatesFirst() {
        auto window = stage(Appearance::light);
        auto* row = new StatusRow(QStringLiteral("Connection"), window.get());
        (new QHBoxLayout(window.get()))->addWidget(row);
        const QString detail = QStringLiteral("the service reported a very long explanation ").repeated(6);
        row->render(detail, Tone::bad);
        row->action()->setText(QStringLiteral("Reconnect"));
        row->action()->show();
        window->resize(420, 60);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QVERIFY(row->detail()->width() < row->detail()->fontMetrics().horizontalAdvance(detail));
        QCOMPARE(row->detail()->toolTip(), detail);                          // the full text stays reachable
        QCOMPARE(row->action()->width(), row->action()->sizeHint().width()); // never squeezed
    }

    void selectedNavButtonIsFilled() {
        auto window = stage(Appearance::light);
        auto* nav = new SidebarNavButton(QStringLiteral("Tasks"), Symbol::checkmarkSquare, window.get());
        nav->resize(200, 32);
        QCOMPARE(nav->grab().toImage().pixelColor(100, 16), QColor(Qt::magenta));
        nav->setSelected(true);
        QVERIFY(near(nav, QPoint(100, 16), Theme::selected));
    }

    // A label's remembered heights are the ones its text, font and margins give now, whatever widths were asked for
    // before and in whatever order: a stale answer would clip or pad a wrapped text.
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
        label.setText(QStringLiteral("Short"));
        same("shorter text");
        QFont larger = label.font();
        larger.setPointSize(larger.pointSize() * 2);
        label.setFont(larger);
        same("larger font");
        label.setContentsMargins(8, 8, 8, 8);
        same("margins");
        label.setText(QStringLiteral("A text long enough to wrap onto several lines at the narrow widths asked for"));
        label.setMaximumLines(2);
        const int twoLines = 2 * label.fontMetrics().lineSpacing() + 16;
        QCOMPARE(label.heightForWidth(60), twoLines);
        label.setMaximumLines(0);
        same("no line limit");
    }
};

VODU_TEST_SUITE(ControlsTest)
#include "ControlsTest.moc"
