#include "DataTables.h"
#include "TestRegistry.h"
#include "app/QtTranslations.h"
#include "platform/QtPlatform.h"
#include "ui/Copy.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTranslator>

class LanguageAndAlertTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Our texts follow the first preferred language; Qt's own texts (standard buttons) follow ours.
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
        QCOMPARE(Copy::fromPreferredLanguages(languages).text("接続", "Connection") == u"接続", japanese);
    }

    void qtTextsFollowOurLanguage() {
        const std::unique_ptr<QTranslator> translator = qtTranslator(true); // the scripts install the translations
        QVERIFY(translator && QApplication::installTranslator(translator.get()));
        QVERIFY(QDialogButtonBox(QDialogButtonBox::Cancel)
                    .button(QDialogButtonBox::Cancel)
                    ->text()
                    .startsWith(u"キャンセル"));
        QVERIFY(!qtTranslator(false) && !qtTranslator(true, QStringLiteral("/nonexistent")));
    }

    // Keys on the focused control take the safe choice; only a click on it confirms. Host text quoted in an alert
    // (an approval's summary, a process path) is never read as markup.
    void answers_data() {
        // key: 0: a click on the last button
        columns<bool, int, QStringList, int>({"textField", "key", "buttons", "answer"});
        const QStringList two{QStringLiteral("Cancel"), QStringLiteral("Quit")};
        QTest::newRow("Return, two buttons") << false << int(Qt::Key_Return) << two << 0;
        QTest::newRow("Enter, two buttons") << false << int(Qt::Key_Enter) << two << 0;
        QTest::newRow("Escape, two buttons") << false << int(Qt::Key_Escape) << two << 0;
        QTest::newRow("Return in a text field") << true << int(Qt::Key_Return) << two << 0;
        QTest::newRow("Escape in a text field") << true << int(Qt::Key_Escape) << two << 0;
        QTest::newRow("click, message box") << false << 0 << two << 1;
        QTest::newRow("click, text field") << true << 0 << two << 1;
    }

    void answers() {
        const auto [textField, key, buttons, answer] =
            fetch<bool, int, QStringList, int>({"textField", "key", "buttons", "answer"});
        AlertRequest request;
        request.message = QStringLiteral("<b>Approve</b>");
        request.informativeText = QStringLiteral("<img src=\"/dev/zero\"> <a href=\"file:///etc\">x</a>");
        request.buttons = buttons;
        request.hasTextField = textField;
        QStringList formats;
        QTimer poll; // acts on the real alert like a user once it is up
        connect(&poll, &QTimer::timeout, this, [&] {
            if (QWidget* alert = QApplication::activeModalWidget(); alert && alert->isVisible()) {
                poll.stop();
                for (const QLabel* label : alert->findChildren<QLabel*>()) {
                    if (!label->text().isEmpty()) {
                        formats.append(label->textFormat() == Qt::PlainText ? QStringLiteral("plain") : label->text());
                    }
                }
                if (key != 0) {
                    QTest::keyClick(alert->focusWidget() ? alert->focusWidget() : alert, static_cast<Qt::Key>(key));
                    return;
                }
                for (QPushButton* button : alert->findChildren<QPushButton*>()) {
                    if (button->text() == buttons.last()) {
                        button->click();
                    }
                }
            }
        });
        poll.start(10);
        QCOMPARE(QtPlatform().runAlert(request, nullptr).button, answer);
        QCOMPARE(formats, QStringList({QStringLiteral("plain"), QStringLiteral("plain")}));
    }
};

VODU_TEST_SUITE(LanguageAndAlertTest)
#include "LanguageAndAlertTest.moc"
