#include "TestRegistry.h"
#include "model/TextSafety.h"

#include <QTest>

class TextSafetyTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void safeMessage_data() {
        QTest::addColumn<QVariant>("input");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QVariant>("expected");
        const QVariant absent;
        const auto text = [](const char* value) { return QVariant(QString::fromUtf8(value)); };
        QTest::newRow("absent") << absent << 180 << absent;
        QTest::newRow("only blanks") << text(" \n\t ") << 180 << absent;
        QTest::newRow("trimmed") << text("  fine \n") << 180 << text("fine");
        QTest::newRow("token value") << text("token=abc123 failed") << 180 << text("••• failed");
        QTest::newRow("bearer in an error")
            << text("401 from upstream: Authorization Bearer eyJhbGciOi.payload rejected") << 180
            << text("401 from upstream: Authorization ••• rejected");
        QTest::newRow("case-insensitive word") << text("PASSWORD: hunter2") << 180 << text("•••");
        QTest::newRow("separators run into the value") << text("secret = = x y") << 180 << text("••• y");
        QTest::newRow("address") << text("open https://example.test/a?b=c now") << 180 << text("open ••• now");
        QTest::newRow("address with a token inside") << text("see http://h/?token=x") << 180 << text("see •••");
        QTest::newRow("long identifier")
            << text("task 0123456789abcdef0123456789abcdef0123456789 is done") << 180 << text("task ••• is done");
        QTest::newRow("39 characters stay")
            << text("id abcdefghijabcdefghijabcdefghijabcdefghi") << 180
            << text("id abcdefghijabcdefghijabcdefghijabcdefghi");
        QTest::newRow("ideographic space ends a secret") << text("session：x　session=abc　続き") << 180
                                                         << text("session：x　•••　続き");
        QTest::newRow("cut after masking") << text("token=x then more text") << 9 << text("••• then ");
        QTest::newRow("cut by user-perceived characters") << text("👍🏽👍🏽👍🏽") << 2 << text("👍🏽👍🏽");
        QTest::newRow("not trimmed again after the cut") << text("ab cd") << 3 << text("ab ");
    }

    void safeMessage() {
        QFETCH(QVariant, input);
        QFETCH(int, limit);
        QFETCH(QVariant, expected);
        const std::optional<QString> in = input.isValid() ? std::optional(input.toString()) : std::nullopt;
        const std::optional<QString> out = ::safeMessage(in, limit);
        QCOMPARE(out.has_value(), expected.isValid());
        if (out) {
            QCOMPARE(*out, expected.toString());
        }
    }

    void cleanLabel_data() {
        QTest::addColumn<QVariant>("input");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("absent") << QVariant() << QVariant();
        QTest::newRow("blank") << QVariant(QStringLiteral(" \n ")) << QVariant();
        QTest::newRow("lines joined") << QVariant(QStringLiteral("\n first\nsecond \n")) << QVariant(QStringLiteral("first second"));
        QTest::newRow("carriage returns joined too") << QVariant(QStringLiteral("a\r\nb\rc")) << QVariant(QStringLiteral("a b c"));
        QTest::newRow("cut at 100") << QVariant(QString(150, QLatin1Char('x'))) << QVariant(QString(100, QLatin1Char('x')));
        QTest::newRow("family emoji counts once")
            << QVariant(QStringLiteral("👨‍👩‍👧").repeated(101)) << QVariant(QStringLiteral("👨‍👩‍👧").repeated(100));
    }

    void cleanLabel() {
        QFETCH(QVariant, input);
        QFETCH(QVariant, expected);
        const std::optional<QString> in = input.isValid() ? std::optional(input.toString()) : std::nullopt;
        const std::optional<QString> out = ::cleanLabel(in);
        QCOMPARE(out.has_value(), expected.isValid());
        if (out) {
            QCOMPARE(*out, expected.toString());
        }
    }
};

VODU_TEST_SUITE(TextSafetyTest)
#include "TextSafetyTest.moc"
