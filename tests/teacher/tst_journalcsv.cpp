#include "ReportSamples.h"

#include "teacher/JournalCsv.h"
#include "teacher/JournalText.h"

#include <QBuffer>
#include <QFile>
#include <QTest>

namespace {

QByteArray exportAll(const JournalRowSource& rows, int chunk)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    JournalCsv csv(rows, &buffer);
    while (csv.writeSome(chunk)) {
    }
    if (!csv.atEnd() || !csv.error().isEmpty())
        qFatal("export stopped");
    return buffer.data();
}

} // namespace

class TestJournalCsv : public QObject
{
    Q_OBJECT

private slots:
    void headerAndRowsAsTheGridShowsThem()
    {
        auto rows = std::make_shared<JournalSnapshot>();
        const QDateTime day(QDate(2024, 9, 2), QTime(0, 0));
        rows->append(QStringLiteral("Иванов Иван"), QStringLiteral("ИТ-11"),
                     QStringLiteral("Введение"), 87, day);
        rows->append(QVariant(), QVariant(), QStringLiteral("Тема"), QVariant(), QVariant());

        const QByteArray data = exportAll(*rows, 100);
        QVERIFY(data.startsWith("\xEF\xBB\xBF"));
        const QString text = QString::fromUtf8(data.mid(3));
        const QStringList lines = text.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 4); // header, two rows, and the empty rest after the last CR LF
        QCOMPARE(lines.at(0),
                 QStringLiteral("ФИО  учащихся;Учебная группа;Тема занятия;Баллы;Дата занятия"));
        QCOMPARE(lines.at(1),
                 QStringLiteral("Иванов Иван;ИТ-11;Введение;87;") + JournalText::date(day));
        QCOMPARE(lines.at(2), QStringLiteral(";;Тема;;"));
        QCOMPARE(lines.at(3), QString());
    }

    void fields_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("guard");
        QTest::addColumn<QString>("expected");

        QTest::newRow("plain") << "Иванов" << true << "Иванов";
        QTest::newRow("apostrophe") << "Мар'яна" << true << "Мар'яна";
        QTest::newRow("separator") << "Тема; часть 2" << true << "\"Тема; часть 2\"";
        QTest::newRow("quote") << "Урок \"Сети\"" << true << "\"Урок \"\"Сети\"\"\"";
        QTest::newRow("line break") << "два\nслова" << true << "\"два\nслова\"";
        QTest::newRow("leading blank") << " Иванов" << true << "\" Иванов\"";
        QTest::newRow("comma stays bare") << "Иванов, Петров" << true << "Иванов, Петров";
        QTest::newRow("formula") << "=1+2" << true << "'=1+2";
        QTest::newRow("formula with separator") << "=A1;B1" << true << "\"'=A1;B1\"";
        QTest::newRow("plus") << "+79990001122" << true << "'+79990001122";
        QTest::newRow("at sign") << "@SUM(A1)" << true << "'@SUM(A1)";
        QTest::newRow("minus") << "-Петров" << true << "'-Петров";
        QTest::newRow("score is not guarded") << "-5" << false << "-5";
        QTest::newRow("empty") << "" << true << "";
    }

    void fields()
    {
        QFETCH(QString, text);
        QFETCH(bool, guard);
        QFETCH(QString, expected);
        QCOMPARE(JournalCsv::field(text, guard), expected);
    }

    void chunksGiveTheSameFile()
    {
        const auto rows = ReportSamples::journal(1000);
        const QByteArray whole = exportAll(*rows, 5000);
        QCOMPARE(exportAll(*rows, 7), whole);
        QCOMPARE(exportAll(*rows, 1), whole);
        QCOMPARE(whole.count("\r\n"), 1001);
    }

    void emptyViewGivesTheHeaderAlone()
    {
        JournalSnapshot rows;
        const QByteArray data = exportAll(rows, 10);
        QCOMPARE(data, JournalCsv::header());
    }

    void progressCounts()
    {
        const auto rows = ReportSamples::journal(25);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        JournalCsv csv(*rows, &buffer);
        QCOMPARE(csv.total(), 25);
        QVERIFY(!csv.atEnd());
        QVERIFY(csv.writeSome(10));
        QCOMPARE(csv.written(), 10);
        QVERIFY(csv.writeSome(10));
        QVERIFY(!csv.writeSome(10));
        QCOMPARE(csv.written(), 25);
        QVERIFY(csv.atEnd());
    }

    void writeErrorStopsTheExport()
    {
        if (!QFile::exists(QStringLiteral("/dev/full")))
            QSKIP("needs /dev/full");
        QFile full(QStringLiteral("/dev/full"));
        QVERIFY(full.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const auto rows = ReportSamples::journal(10);
        JournalCsv csv(*rows, &full);
        QVERIFY(!csv.writeSome(100));
        QVERIFY(!csv.error().isEmpty());
        QVERIFY(!csv.atEnd());
        QVERIFY(!csv.writeSome(100));
    }
};

QTEST_GUILESS_MAIN(TestJournalCsv)
#include "tst_journalcsv.moc"
