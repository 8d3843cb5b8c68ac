#include "TestRegistry.h"
#include "ui/Copy.h"
#include "ui/Theme.h"

#include <QTest>

class CopyThemeTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void languageChoice_data() {
        QTest::addColumn<QStringList>("languages");
        QTest::addColumn<bool>("japanese");
        QTest::newRow("empty list") << QStringList{} << false;
        QTest::newRow("Japanese") << QStringList{"ja"} << true;
        QTest::newRow("Japanese with region, upper case") << QStringList{"JA-JP"} << true;
        QTest::newRow("English first, Japanese second") << QStringList{"en-US", "ja-JP"} << false;
        QTest::newRow("English with Japanese region") << QStringList{"en-JP"} << false;
        QTest::newRow("Javanese is not Japanese") << QStringList{"jv"} << false;
    }

    void languageChoice() {
        QFETCH(QStringList, languages);
        QFETCH(bool, japanese);
        const Copy copy = Copy::fromPreferredLanguages(languages);
        QCOMPARE(copy.japanese, japanese);
        QCOMPARE(copy.text("接続", "Connection"), japanese ? QStringLiteral("接続") : QStringLiteral("Connection"));
    }

    void colourPairs() {
        for (const Appearance appearance : {Appearance::light, Appearance::dark}) {
            QCOMPARE(Theme::action.resolve(appearance), Theme::accent.resolve(appearance));
            QCOMPARE(Theme::actionText.resolve(appearance), Theme::surface.resolve(appearance));
            QCOMPARE(Theme::connectionDotColor(Tone::neutral).resolve(appearance),
                     Theme::connectionDotColor(Tone::busy).resolve(appearance));
            QVERIFY(Theme::rowDotColor(Tone::neutral).resolve(appearance) !=
                    Theme::rowDotColor(Tone::busy).resolve(appearance));
        }
        // The constructor takes the dark value first.
        QCOMPARE(Theme::canvas.resolve(Appearance::dark), QColor(0x14, 0x13, 0x12));
        QCOMPARE(Theme::canvas.resolve(Appearance::light), QColor(0xF6, 0xF5, 0xF4));
    }
};

VODU_TEST_SUITE(CopyThemeTest)
#include "CopyThemeTest.moc"
