#include "TestRegistry.h"
#include "platform/QtPlatform.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

// Runs the real alert and, once it is up, acts on it like a user: a key on the focused control, or a click.
AlertAnswer answerAlert(const AlertRequest& request, const std::function<void(QWidget*)>& act) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        QWidget* alert = QApplication::activeModalWidget();
        if (!alert || !alert->isVisible()) {
            return;
        }
        poll->stop();
        poll->deleteLater();
        act(alert);
    });
    poll->start(10);
    QtPlatform platform;
    return platform.runAlert(request, nullptr);
}

void pressKey(QWidget* alert, Qt::Key key) {
    QWidget* target = alert->focusWidget() ? alert->focusWidget() : alert;
    QTest::keyClick(target, key);
}

} // namespace

class AlertTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void keysTakeTheSafeChoice_data() {
        QTest::addColumn<bool>("textField");
        QTest::addColumn<int>("key");
        QTest::addColumn<QStringList>("buttons");
        const QStringList two{QStringLiteral("Cancel"), QStringLiteral("Quit")};
        const QStringList one{QStringLiteral("OK")};
        QTest::newRow("Return, two buttons") << false << int(Qt::Key_Return) << two;
        QTest::newRow("Enter, two buttons") << false << int(Qt::Key_Enter) << two;
        QTest::newRow("Escape, two buttons") << false << int(Qt::Key_Escape) << two;
        QTest::newRow("Return, one button") << false << int(Qt::Key_Return) << one;
        QTest::newRow("Escape, one button") << false << int(Qt::Key_Escape) << one;
        QTest::newRow("Return in a text field") << true << int(Qt::Key_Return) << two;
        QTest::newRow("Escape in a text field") << true << int(Qt::Key_Escape) << two;
    }

    void keysTakeTheSafeChoice() {
        QFETCH(bool, textField);
        QFETCH(int, key);
        QFETCH(QStringList, buttons);
        AlertRequest request;
        request.message = QStringLiteral("Stop the run?");
        request.buttons = buttons;
        request.hasTextField = textField;
        const AlertAnswer answer =
            answerAlert(request, [key](QWidget* alert) { pressKey(alert, static_cast<Qt::Key>(key)); });
        QCOMPARE(answer.button, 0);
    }

    void confirmingButtonIsChosenByClicking_data() {
        QTest::addColumn<bool>("textField");
        QTest::newRow("message box") << false;
        QTest::newRow("text field") << true;
    }

    void confirmingButtonIsChosenByClicking() {
        QFETCH(bool, textField);
        AlertRequest request;
        request.message = QStringLiteral("Quit?");
        request.buttons = {QStringLiteral("Cancel"), QStringLiteral("Quit")};
        request.hasTextField = textField;
        const AlertAnswer answer = answerAlert(request, [](QWidget* alert) {
            for (QPushButton* button : alert->findChildren<QPushButton*>()) {
                if (button->text() == u"Quit") {
                    button->click();
                    return;
                }
            }
        });
        QCOMPARE(answer.button, 1);
    }
    // Confirmations quote host text (an approval's summary, a process path): never read as markup.
    void hostTextInAnAlertIsPlainText() {
        for (const bool textField : {false, true}) {
            AlertRequest request;
            request.message = QStringLiteral("<b>Approve</b>");
            request.informativeText = QStringLiteral("<img src=\"/dev/zero\"> <a href=\"file:///etc\">x</a>");
            request.buttons = {QStringLiteral("Cancel"), QStringLiteral("Approve")};
            request.hasTextField = textField;
            QStringList formats;
            answerAlert(request, [&formats](QWidget* alert) {
                for (const QLabel* label : alert->findChildren<QLabel*>()) {
                    if (!label->text().isEmpty()) {
                        formats.append(label->textFormat() == Qt::PlainText ? QStringLiteral("plain") : label->text());
                    }
                }
                QTest::keyClick(alert, Qt::Key_Escape);
            });
            QCOMPARE(formats, QStringList({QStringLiteral("plain"), QStringLiteral("plain")}));
        }
    }
};

VODU_TEST_SUITE(AlertTest)
#include "AlertTest.moc"
