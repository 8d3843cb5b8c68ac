#include "TestRegistry.h"
#include "model/SearchText.h"

#include <QTest>

class SearchTextTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void matches_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("match");
        QTest::newRow("case") << "Fix the Login page" << "login" << "en_US" << true;
        QTest::newRow("full-width letters typed") << "Deploy API" << "ＡＰＩ" << "ja_JP" << true;
        QTest::newRow("full-width letters stored") << "ＡＰＩの修正" << "api" << "ja_JP" << true;
        QTest::newRow("half-width katakana typed") << "データベース移行" << "ﾃﾞｰﾀ" << "ja_JP" << true;
        QTest::newRow("full-width digits") << "Release 2026" << "２０２６" << "ja_JP" << true;
        QTest::newRow("Turkish dotted capital") << "İstanbul" << "istanbul" << "tr_TR" << true;
        QTest::newRow("hiragana is not katakana") << "データ" << "でーた" << "ja_JP" << false;
        QTest::newRow("blank query") << "anything" << "  " << "en_US" << true;
        QTest::newRow("no match") << "Fix the Login page" << "logout" << "en_US" << false;
    }

    void matches() {
        QFETCH(QString, text);
        QFETCH(QString, query);
        QFETCH(QString, locale);
        QFETCH(bool, match);
        QCOMPARE(searchMatches(text, query, QLocale(locale)), match);
    }
};

VODU_TEST_SUITE(SearchTextTest)
#include "SearchTextTest.moc"
