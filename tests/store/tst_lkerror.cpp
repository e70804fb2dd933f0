#include "store/LkError.h"

#include <QTest>

class TestLkError : public QObject
{
    Q_OBJECT
private slots:
    void boxText_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "File not found"
                                << "File not found.";
        QTest::newRow("cyrillic") << "Пароль неверный"
                                  << "Пароль неверный.";
        QTest::newRow("parenthesis")
            << "Could not convert variant of type (Null) into type (String)"
            << "Could not convert variant of type (Null) into type (String)";
        QTest::newRow("quote") << "Invalid level (3) for item \"x\""
                               << "Invalid level (3) for item \"x\"";
        QTest::newRow("full stop") << "Done."
                                   << "Done.";
        QTest::newRow("digit") << "I/O error 32"
                               << "I/O error 32.";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("comma") << "a,"
                               << "a,";
    }
    void boxText()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(LkError::boxText(message), shown);
    }
};

QTEST_APPLESS_MAIN(TestLkError)
#include "tst_lkerror.moc"
