// The editing password: the exact check, hashes and plain values of older courses, and what is
// written to the database.
#include "CourseFixture.h"

#include "store/PasswordHash.h"
#include "teacher/PasswordCheck.h"

#include <QTest>

namespace {
// Hashes made here use few rounds (the check reads the count from the stored value); one test
// looks at the full strength.
constexpr int Quick = 1000;
QString quickHash(const QString& password)
{
    return PasswordHash::make(password, Quick);
}
} // namespace

class TestPasswordCheck : public QObject
{
    Q_OBJECT

    std::unique_ptr<CourseFixture> m_course;

    // A course whose pas table holds the given rows (none: an empty table).
    void course(const QVariantList& rows)
    {
        m_course = std::make_unique<CourseFixture>();
        m_course->open(); // a new course, with its tables
        m_course->close();
        QStringList sql{QStringLiteral("DELETE FROM pas")};
        for (const QVariant& v : rows)
            sql.append(v.isNull() ? QStringLiteral("INSERT INTO pas VALUES (NULL)")
                                  : QStringLiteral("INSERT INTO pas VALUES ('%1')")
                                        .arg(v.toString().replace(QLatin1Char('\''),
                                                                  QStringLiteral("''"))));
        m_course->raw(sql);
        m_course->open();
    }
    QVariant storedInFile()
    {
        return m_course->raw(QStringLiteral("SELECT pas FROM pas ORDER BY rowid LIMIT 1"));
    }

private slots:
    void cleanup() { m_course.reset(); }

    void matches_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("match");

        const QString word = QStringLiteral("учитель");
        QTest::newRow("null, empty box") << QVariant() << "" << false;
        QTest::newRow("null, any text") << QVariant() << word << false;
        QTest::newRow("plain empty, empty box")
            << QVariant(QString(QLatin1String(""))) << "" << true;
        QTest::newRow("plain empty, blank") << QVariant(QString(QLatin1String(""))) << " " << false;
        QTest::newRow("plain, same") << QVariant(word) << word << true;
        QTest::newRow("plain, other case") << QVariant(word) << "Учитель" << false;
        QTest::newRow("plain, trailing blank") << QVariant(word) << "учитель " << false;
        QTest::newRow("plain, leading blank") << QVariant(word) << " учитель" << false;
        QTest::newRow("plain, prefix") << QVariant(word) << "учит" << false;
        QTest::newRow("plain with blank, same")
            << QVariant(QStringLiteral("a b ")) << "a b " << true;
        QTest::newRow("hash, same") << QVariant(quickHash(word)) << word << true;
        QTest::newRow("hash, other case") << QVariant(quickHash(word)) << "Учитель" << false;
        QTest::newRow("hash, trailing blank") << QVariant(quickHash(word)) << "учитель " << false;
        QTest::newRow("hash of empty, empty box") << QVariant(quickHash({})) << "" << true;
        QTest::newRow("hash of empty, blank") << QVariant(quickHash({})) << " " << false;
        const QString hash = quickHash(word);
        QTest::newRow("the hash text itself") << QVariant(hash) << hash << false;
    }
    void matches()
    {
        QFETCH(QVariant, stored);
        QFETCH(QString, typed);
        QFETCH(bool, match);
        QCOMPARE(PasswordCheck::matches(stored, typed), match);
    }

    void nullNeverMatches_data()
    {
        QTest::addColumn<bool>("emptyTable");
        QTest::newRow("empty table") << true;
        QTest::newRow("null field") << false;
    }
    void nullNeverMatches()
    {
        QFETCH(bool, emptyTable);
        course(emptyTable ? QVariantList{} : QVariantList{QVariant()});
        for (const QString& typed : {QString(), QStringLiteral("x")})
            QVERIFY(!PasswordCheck::check(m_course->password(), typed, Quick));
        QCOMPARE(m_course->password().state(), Dataset::State::Browse);
        QCOMPARE(m_course->raw(QStringLiteral("SELECT COUNT(*) FROM pas")).toInt(),
                 emptyTable ? 0 : 1);
    }

    void plainValueIsReplacedByItsHashAtFirstMatch()
    {
        course({QStringLiteral("учитель"), QStringLiteral("second")});

        // A mismatch leaves it alone.
        QVERIFY(!PasswordCheck::check(m_course->password(), QStringLiteral("Учитель"), Quick));
        QCOMPARE(storedInFile().toString(), QStringLiteral("учитель"));

        QVERIFY(PasswordCheck::check(m_course->password(), QStringLiteral("учитель"), Quick));
        const QString stored = storedInFile().toString();
        QVERIFY2(PasswordHash::isHash(stored), qPrintable(stored));
        QVERIFY(!stored.contains(QStringLiteral("учитель")));
        QVERIFY(PasswordHash::verify(QStringLiteral("учитель"), stored));
        QCOMPARE(m_course->password().state(), Dataset::State::Browse);
        // Only the current record is touched.
        QCOMPARE(m_course
                     ->raw(QStringLiteral("SELECT pas FROM pas ORDER BY rowid LIMIT 1 "
                                          "OFFSET 1"))
                     .toString(),
                 QStringLiteral("second"));

        // From now on the hash decides, in this run and the next.
        QVERIFY(PasswordCheck::check(m_course->password(), QStringLiteral("учитель"), Quick));
        QVERIFY(!PasswordCheck::check(m_course->password(), QStringLiteral("учитель "), Quick));
        m_course->close();
        m_course->open();
        QVERIFY(PasswordCheck::check(m_course->password(), QStringLiteral("учитель"), Quick));
        QCOMPARE(storedInFile().toString(), stored);
    }

    void plainValueStaysWhenTheDatabaseRefusesTheChange()
    {
        course({QStringLiteral("учитель")});
        m_course->raw(QStringLiteral("CREATE TRIGGER no_change BEFORE UPDATE ON pas BEGIN "
                                     "SELECT RAISE(ABORT, 'read-only course'); END"));
        QVERIFY(PasswordCheck::check(m_course->password(), QStringLiteral("учитель"), Quick));
        QCOMPARE(m_course->password().state(), Dataset::State::Browse);
        QCOMPARE(storedInFile().toString(), QStringLiteral("учитель"));
        QVERIFY(PasswordCheck::check(m_course->password(), QStringLiteral("учитель"), Quick));
    }

    void storeWritesAHash()
    {
        course({quickHash(QStringLiteral("old"))});
        PasswordCheck::store(m_course->password(), QStringLiteral("Новый пароль"), Quick);
        const QString stored = storedInFile().toString();
        QVERIFY(PasswordHash::isHash(stored));
        QVERIFY(!stored.contains(QStringLiteral("Новый")));
        QVERIFY(PasswordCheck::check(m_course->password(), QStringLiteral("Новый пароль"), Quick));
        QVERIFY(!PasswordCheck::check(m_course->password(), QStringLiteral("old"), Quick));

        // The empty password is stored hashed too, and then an empty box unlocks.
        PasswordCheck::store(m_course->password(), QString(), Quick);
        QVERIFY(PasswordHash::isHash(storedInFile().toString()));
        QVERIFY(PasswordCheck::check(m_course->password(), QString(), Quick));
        QVERIFY(!PasswordCheck::check(m_course->password(), QStringLiteral(" "), Quick));
    }

    void fullStrengthByDefault()
    {
        course({QStringLiteral("учитель")});
        QVERIFY(PasswordCheck::check(m_course->password(), QStringLiteral("учитель")));
        const QString rehashed = storedInFile().toString();
        QVERIFY(rehashed.startsWith(
            QStringLiteral("pbkdf2-sha256$%1$").arg(PasswordHash::kIterations)));
        PasswordCheck::store(m_course->password(), QStringLiteral("new"));
        const QString stored = storedInFile().toString();
        QVERIFY(
            stored.startsWith(QStringLiteral("pbkdf2-sha256$%1$").arg(PasswordHash::kIterations)));
        QVERIFY(stored != rehashed);
    }

    void failedStoreStaysInEditMode()
    {
        const QString old = quickHash(QStringLiteral("old"));
        course({old});
        m_course->raw(QStringLiteral("CREATE TRIGGER no_change BEFORE UPDATE ON pas BEGIN "
                                     "SELECT RAISE(ABORT, 'read-only course'); END"));
        const QString error = errorOf(
            [&] { PasswordCheck::store(m_course->password(), QStringLiteral("new"), Quick); });
        QVERIFY2(error.contains(QStringLiteral("read-only course")), qPrintable(error));
        QCOMPARE(m_course->password().state(), Dataset::State::Edit);
        QCOMPARE(storedInFile().toString(), old);
    }

    void missingFieldIsAnError()
    {
        m_course = std::make_unique<CourseFixture>();
        m_course->open();
        m_course->close();
        m_course->raw(QStringList{QStringLiteral("DROP TABLE pas"),
                                  QStringLiteral("CREATE TABLE pas (word TEXT)"),
                                  QStringLiteral("INSERT INTO pas VALUES ('x')")});
        m_course->open();
        QCOMPARE(errorOf([&] {
                     PasswordCheck::check(m_course->password(), QStringLiteral("x"), Quick);
                 }),
                 QStringLiteral("Tpas: Field 'pas' not found"));
    }
};

QTEST_GUILESS_MAIN(TestPasswordCheck)
#include "tst_passwordcheck.moc"
