#include "TestRegistry.h"
#include "ui/ConnectionButton.h"
#include "ui/FlatButtons.h"
#include "ui/SegmentedControl.h"
#include "ui/SidebarNavButton.h"
#include "ui/StatusRow.h"
#include "ui/Surfaces.h"
#include "ui/Theme.h"
#include "ui/ThemedLabel.h"

#include <QHBoxLayout>
#include <QImage>
#include <QSignalSpy>
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

QColor pixel(QWidget* widget, QPoint point) {
    return widget->grab().toImage().pixelColor(point);
}

bool near(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) <= 8 && std::abs(a.green() - b.green()) <= 8 &&
           std::abs(a.blue() - b.blue()) <= 8;
}

// Whether some pixel of the image is close to `colour`.
bool contains(const QImage& image, const QColor& colour) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (near(image.pixelColor(x, y), colour)) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

class ControlsTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void appearances_data() {
        QTest::addColumn<int>("appearance");
        QTest::newRow("light") << int(Appearance::light);
        QTest::newRow("dark") << int(Appearance::dark);
    }

    void solidActionButtonDisabled_data() { appearances_data(); }

    void solidActionButtonDisabled() {
        QFETCH(int, appearance);
        const auto look = Appearance(appearance);
        auto window = stage(look);
        auto* button = new SolidActionButton(QStringLiteral("Approve"), window.get());
        button->resize(button->sizeHint());
        QCOMPARE(button->sizeHint().height(), 32);
        QVERIFY(button->sizeHint().width() >= button->fontMetrics().horizontalAdvance(QStringLiteral("Approve")) + 32);
        const QPoint fill(4, 16);
        QVERIFY(near(pixel(button, fill), Theme::action.resolve(look)));
        QVERIFY(contains(button->grab().toImage(), Theme::actionText.resolve(look)));

        button->setEnabled(false);
        QVERIFY(near(pixel(button, fill), Theme::selected.resolve(look)));
        const QImage disabled = button->grab().toImage();
        QVERIFY(contains(disabled, Theme::secondary.resolve(look)));
        QVERIFY(!contains(disabled, Theme::action.resolve(look)));
    }

    void attentionSurface_data() { appearances_data(); }

    void attentionSurface() {
        QFETCH(int, appearance);
        const auto look = Appearance(appearance);
        auto window = stage(look);
        window->resize(200, 80);
        auto* surface = new AttentionSurface(window.get());
        surface->setGeometry(0, 0, 200, 80);

        // Inactive: nothing at all is drawn, the background shows everywhere.
        const QImage inactive = window->grab().toImage();
        for (const QPoint point : {QPoint(0, 40), QPoint(1, 40), QPoint(100, 40), QPoint(199, 79)}) {
            QCOMPARE(inactive.pixelColor(point), QColor(Qt::magenta));
        }

        surface->setActive(true);
        const QImage active = window->grab().toImage();
        QVERIFY(near(active.pixelColor(100, 40), Theme::attentionFill.resolve(look)));
        QVERIFY(near(active.pixelColor(1, 40), Theme::attentionInk.resolve(look)));
        QVERIFY(near(active.pixelColor(100, 0), Theme::attentionBorder.resolve(look)) ||
                near(active.pixelColor(100, 1), Theme::attentionBorder.resolve(look)));
    }

    void appearanceSwitchRepaintsWithoutRebuilding() {
        auto window = stage(Appearance::light);
        window->resize(120, 60);
        auto* box = new RoundedBox(Theme::surface, Theme::border, 12, window.get());
        box->setGeometry(0, 0, 120, 60);
        auto* label = new ThemedLabel(Theme::text, box);
        QVERIFY(near(pixel(box, QPoint(60, 30)), Theme::surface.resolve(Appearance::light)));
        setWindowAppearance(window.get(), Appearance::dark);
        QVERIFY(near(pixel(box, QPoint(60, 30)), Theme::surface.resolve(Appearance::dark)));
        QCOMPARE(label->parentWidget(), box); // same objects, other colours
        QCOMPARE(appearanceOf(label), Appearance::dark);
    }

    void longStatusRowDetailTruncatesFirst() {
        auto window = stage(Appearance::light);
        auto* column = new QHBoxLayout(window.get());
        auto* row = new StatusRow(QStringLiteral("Connection"), window.get());
        column->addWidget(row);
        const QString detail = QStringLiteral("the service reported a very long explanation ").repeated(6);
        row->render(detail, Tone::bad);
        row->action()->setText(QStringLiteral("Reconnect"));
        row->action()->show();
        window->resize(420, 60);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(row->title()->width(), 112);
        QVERIFY(row->detail()->width() < row->detail()->fontMetrics().horizontalAdvance(detail));
        QCOMPARE(row->detail()->text(), detail); // cut only when drawn
        QCOMPARE(row->detail()->toolTip(), detail);
        QCOMPARE(row->action()->width(), row->action()->sizeHint().width()); // never squeezed
        QCOMPARE(row->dot()->color().light, Theme::systemRed.light);
    }

    void statusDotColours_data() {
        QTest::addColumn<int>("tone");
        QTest::addColumn<quint32>("light");
        QTest::addColumn<quint32>("dark");
        QTest::newRow("good") << int(Tone::good) << 0x3D7650u << 0x9EBBA3u;
        QTest::newRow("warning") << int(Tone::warning) << 0xA94700u << 0xF08A3Au;
        QTest::newRow("bad") << int(Tone::bad) << 0x615D59u << 0xB8B3ADu;
        QTest::newRow("busy") << int(Tone::busy) << 0x615D59u << 0xB8B3ADu;
    }

    void statusDotColours() {
        QFETCH(int, tone);
        QFETCH(quint32, light);
        QFETCH(quint32, dark);
        const ThemeColor colour = StatusDot::colorFor(Tone(tone));
        QCOMPARE(colour.light, light);
        QCOMPARE(colour.dark, dark);
    }

    void segmentedControlReportsOnlyUserChoices() {
        SegmentedControl control({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
        control.resize(300, 32);
        QSignalSpy chosen(&control, &SegmentedControl::activated);
        control.setCurrentIndex(2);
        QCOMPARE(chosen.count(), 0);
        QTest::mouseClick(&control, Qt::LeftButton, {}, QPoint(150, 16));
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen.first().first().toInt(), 1);
        QCOMPARE(control.currentIndex(), 1);
        control.setCurrentIndex(5);
        QCOMPARE(control.currentIndex(), -1);
    }

    void selectionStatesRedraw() {
        auto window = stage(Appearance::light);
        auto* nav = new SidebarNavButton(QStringLiteral("Tasks"), Symbol::checkmarkSquare, window.get());
        nav->resize(200, 32);
        QCOMPARE(pixel(nav, QPoint(100, 16)), QColor(Qt::magenta));
        nav->setSelected(true);
        QVERIFY(near(pixel(nav, QPoint(100, 16)), Theme::selected.resolve(Appearance::light)));

        auto* tab = new DetailsTabButton(QStringLiteral("Plan"), window.get());
        tab->resize(tab->sizeHint());
        const int width = tab->sizeHint().width();
        tab->setSelected(true);
        QCOMPARE(tab->sizeHint().width(), width); // the bold title does not move its neighbours
        QVERIFY(near(pixel(tab, QPoint(width / 2, 31)), Theme::text.resolve(Appearance::light)));
    }

    void emptyCollapsingLabelTakesNoRoom() {
        ThemedLabel label(Theme::text);
        label.setWordWrap(true);
        label.setContentsMargins(0, 12, 0, 0);
        label.setCollapsesWhenEmpty(true);
        QCOMPARE(label.sizeHint(), QSize(0, 0));
        QCOMPARE(label.heightForWidth(300), 0);
        label.setText(QStringLiteral("Next step"));
        QVERIFY(label.heightForWidth(300) >= 12 + label.fontMetrics().height());
    }

    void limitedLabelStopsAtItsLines() {
        ThemedLabel label(Theme::text);
        label.setWordWrap(true);
        label.setMaximumLines(2);
        label.setText(QStringLiteral("word ").repeated(200));
        QCOMPARE(label.heightForWidth(200), 2 * label.fontMetrics().lineSpacing());
    }

    void connectionButtonNaturalSize() {
        ConnectionButton button;
        QCOMPARE(button.sizeHint(), QSize(200, 32));
    }
};

VODU_TEST_SUITE(ControlsTest)
#include "ControlsTest.moc"
