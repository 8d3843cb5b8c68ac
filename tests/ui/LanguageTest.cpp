#include "DataTables.h"
#include "TestRegistry.h"
#include "app/QtTranslations.h"
#include "ui/Copy.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTranslator>

// Our texts follow the first preferred language; Qt's own texts (standard buttons, context menus) follow ours.
class LanguageTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void languageChoice_data() {
        columns<QStringList, bool>({"languages", "japanese"});
        QTest::newRow("empty list") << QStringList{} << false;
        QTest::newRow("Japanese") << QStringList{"ja"} << true;
        QTest::newRow("Japanese with region, upper case") << QStringList{"JA-JP"} << true;
        QTest::newRow("English first, Japanese second") << QStringList{"en-US", "ja-JP"} << false;
        QTest::newRow("English with Japanese region") << QStringList{"en-JP"} << false;
        QTest::newRow("Javanese is not Japanese") << QStringList{"jv"} << false;
    }

    void languageChoice() {
        const auto [languages, japanese] = fetch<QStringList, bool>({"languages", "japanese"});
        QCOMPARE(Copy::fromPreferredLanguages(languages).text("接続", "Connection"),
                 japanese ? QStringLiteral("接続") : QStringLiteral("Connection"));
    }

    void qtTextsFollowOurLanguage() {
        for (const auto& [japanese, cancel, undo] :
             {std::tuple(true, "キャンセル", "元に戻す"), std::tuple(false, "Cancel", "Undo")}) {
            const std::unique_ptr<QTranslator> translator = qtTranslator(japanese);
            QCOMPARE(translator != nullptr, japanese); // the scripts install the translations
            if (translator) {
                QApplication::installTranslator(translator.get());
            }
            QDialogButtonBox buttons(QDialogButtonBox::Cancel);
            QVERIFY(
                buttons.button(QDialogButtonBox::Cancel)->text().remove(u'&').startsWith(QString::fromUtf8(cancel)));
            QLineEdit field;
            std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
            QVERIFY2(menu->actions().value(0)->text().remove(u'&').startsWith(QString::fromUtf8(undo)),
                     qPrintable(menu->actions().value(0)->text()));
        }
        QVERIFY(!qtTranslator(true, QStringLiteral("/nonexistent"))); // missing translations leave Qt in English
    }
};

VODU_TEST_SUITE(LanguageTest)
#include "LanguageTest.moc"
