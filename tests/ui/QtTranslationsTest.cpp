#include "app/QtTranslations.h"
#include "TestRegistry.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTranslator>

class QtTranslationsTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void qtTextsFollowOurLanguage_data() {
        QTest::addColumn<bool>("japanese");
        QTest::addColumn<QString>("cancel");
        QTest::addColumn<QString>("undo");
        QTest::newRow("Japanese") << true << QStringLiteral("キャンセル") << QStringLiteral("元に戻す");
        QTest::newRow("English") << false << QStringLiteral("Cancel") << QStringLiteral("Undo");
    }

    void qtTextsFollowOurLanguage() {
        QFETCH(bool, japanese);
        QFETCH(QString, cancel);
        QFETCH(QString, undo);
        const std::unique_ptr<QTranslator> translator = qtTranslator(japanese);
        QCOMPARE(translator != nullptr, japanese); // the scripts install the translations
        if (translator) {
            QApplication::installTranslator(translator.get());
        }
        QDialogButtonBox buttons(QDialogButtonBox::Cancel);
        QVERIFY(buttons.button(QDialogButtonBox::Cancel)->text().remove(QLatin1Char('&')).startsWith(cancel));
        QLineEdit field;
        std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
        QVERIFY(menu->actions().value(0));
        QVERIFY2(menu->actions().value(0)->text().remove(QLatin1Char('&')).startsWith(undo),
                 qPrintable(menu->actions().value(0)->text()));
    }

    void missingTranslationsLeaveQtInEnglish() { QVERIFY(!qtTranslator(true, QStringLiteral("/nonexistent"))); }
};

VODU_TEST_SUITE(QtTranslationsTest)
#include "QtTranslationsTest.moc"
