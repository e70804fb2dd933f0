// The journal report's preview window over a course database: opening it from the journal view,
// paging and zoom, a second request while it is open, and its outputs (PDF, print run, CSV)
// with progress and cancelling.
#include "app/FileDialogs.h"
#include "app/MessageBoxes.h"
#include "store/Dataset.h"
#include "store/DateValue.h"
#include "store/PasswordHash.h"
#include "store/TDataModule2.h"
#include "teacher/JournalReport.h"
#include "teacher/ReportJob.h"
#include "teacher/ReportPageView.h"
#include "teacher/ReportPreview.h"
#include "teacher/TForm8.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QPrinter>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

int pdfPages(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?!s)"));
    return int(QString::fromLatin1(file.readAll()).count(page));
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestReportPreview : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TDataModule2> m_module;
    std::unique_ptr<TForm8> m_form;

    Dataset& jurnal() { return *m_module->Tjurnal; }
    QString file(const QString& name) const { return m_dir->filePath(name); }

    // Adds `count` journal records straight into the database and reads the table again.
    void addRecords(int count, const QString& gruppa = QStringLiteral("ИТ-11"))
    {
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("seed"));
            db.setDatabaseName(file(QStringLiteral("db1.sqlite")));
            QVERIFY(db.open());
            db.transaction();
            QSqlQuery q(db);
            q.prepare(QStringLiteral(
                "INSERT INTO jurnal (urok, data, ocenka, fio, gruppa) VALUES (?, ?, ?, ?, ?)"));
            for (int i = 0; i < count; ++i) {
                q.addBindValue(QStringLiteral("Тема %1").arg(i % 7));
                q.addBindValue(
                    DateValue::fromDateTime(QDateTime(QDate(2024, 9, 2).addDays(i), QTime(0, 0))));
                q.addBindValue(i % 101);
                q.addBindValue(QStringLiteral("Ученик %1").arg(i, 4, 10, QLatin1Char('0')));
                q.addBindValue(gruppa);
                QVERIFY(q.exec());
            }
            QVERIFY(db.commit());
        }
        QSqlDatabase::removeDatabase(QStringLiteral("seed"));
        jurnal().refresh();
    }

    ReportPreview* openPreview()
    {
        m_form->preview(jurnal());
        ReportPreview* preview = m_form->previewWindow();
        if (preview && !QTest::qWaitForWindowExposed(preview))
            return nullptr;
        return preview;
    }

    static void trigger(QWidget* window, const char* action)
    {
        auto* a = window->findChild<QAction*>(QString::fromLatin1(action));
        QVERIFY2(a, action);
        QVERIFY2(a->isEnabled(), action);
        a->trigger();
    }

    static bool enabled(QWidget* window, const char* action)
    {
        return window->findChild<QAction*>(QString::fromLatin1(action))->isEnabled();
    }

private slots:
    void initTestCase() { PasswordHash::setDefaultIterations(1000); }

    void init()
    {
        MessageBoxes::startRecording();
        FileDialogs::startRecording();
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_module = std::make_unique<TDataModule2>(nullptr, file(QStringLiteral("db1.sqlite")));
        m_module->DataModuleCreate();
        QVERIFY(jurnal().isActive());
        m_form = std::make_unique<TForm8>();
    }

    void cleanup()
    {
        m_form.reset();
        m_module.reset();
        m_dir.reset();
        QCOMPARE(MessageBoxes::takeShown().size(), 0);
    }

    void opensOnPageOneAndPaintsOnlyWhatIsSeen()
    {
        addRecords(150); // 4 pages
        jurnal().first();
        QVERIFY(!m_form->isPreviewOpen());

        ReportPreview* preview = openPreview();
        QVERIFY(preview);
        QVERIFY(m_form->isPreviewOpen());
        QVERIFY(!m_form->isVisible()); // the report form itself is never shown
        QCOMPARE(preview->report().pageCount(), 4);
        QCOMPARE(preview->report().rows().count(), 150);
        ReportPageView* view = preview->pageView();
        QCOMPARE(view->pageCount(), 4);
        QCOMPARE(view->currentPage(), 0);
        QCOMPARE(preview->findChild<QSpinBox*>(QStringLiteral("pageNumber"))->value(), 1);
        QTRY_VERIFY(view->cachedPages().contains(0));
        QVERIFY(!view->cachedPages().contains(3));
        QVERIFY(view->renderedPageCount() < 4);
        QVERIFY(!enabled(preview, "firstPage"));
        QVERIFY(!enabled(preview, "priorPage"));
        QVERIFY(enabled(preview, "nextPage"));

        // Producing the report walked the view to its last record.
        QCOMPARE(jurnal().currentRow(), 149);
    }

    void pagesThroughTheReport()
    {
        addRecords(150);
        ReportPreview* preview = openPreview();
        ReportPageView* view = preview->pageView();
        auto* number = preview->findChild<QSpinBox*>(QStringLiteral("pageNumber"));

        trigger(preview, "nextPage");
        QCOMPARE(view->currentPage(), 1);
        QCOMPARE(number->value(), 2);
        trigger(preview, "lastPage");
        QCOMPARE(view->currentPage(), 3);
        QCOMPARE(number->value(), 4);
        QVERIFY(!enabled(preview, "nextPage"));
        QVERIFY(!enabled(preview, "lastPage"));
        QTRY_VERIFY(view->cachedPages().contains(3)); // painted when it came into view
        trigger(preview, "priorPage");
        QCOMPARE(view->currentPage(), 2);
        trigger(preview, "firstPage");
        QCOMPARE(view->currentPage(), 0);
        number->setValue(3);
        QCOMPARE(view->currentPage(), 2);

        QTest::keyClick(view, Qt::Key_End);
        QCOMPARE(view->currentPage(), 3);
        QTest::keyClick(view, Qt::Key_Home);
        QCOMPARE(view->currentPage(), 0);
    }

    void zooms()
    {
        addRecords(10);
        ReportPreview* preview = openPreview();
        ReportPageView* view = preview->pageView();
        auto* box = preview->findChild<QComboBox*>(QStringLiteral("zoomBox"));
        QCOMPARE(view->zoom(), 1.0);
        QCOMPARE(box->currentText(), QStringLiteral("100 %"));

        trigger(preview, "zoomIn");
        QCOMPARE(view->zoom(), 1.25);
        trigger(preview, "zoomOut");
        trigger(preview, "zoomOut");
        QCOMPARE(view->zoom(), 0.75);
        QCOMPARE(box->currentText(), QStringLiteral("75 %"));

        box->activated(0); // fit width
        QCOMPARE(view->zoomMode(), ReportPageView::ZoomMode::FitWidth);
        const qreal paper = 210 / 25.4 * view->logicalDpiX();
        QVERIFY(view->zoom() * paper <= view->viewport()->width());
        QVERIFY(view->zoom() * paper > view->viewport()->width() - 60);
        box->activated(1); // whole page
        QVERIFY(view->zoom() * 297 / 25.4 * view->logicalDpiY() <= view->viewport()->height());
        QTRY_VERIFY(!view->cachedPages().isEmpty());
    }

    void secondRequestWhileOpenDoesNothing()
    {
        addRecords(5);
        ReportPreview* preview = openPreview();
        QVERIFY(preview);
        QCOMPARE(jurnal().currentRow(), 4);

        // Meanwhile the view changes and the current record moves.
        addRecords(50);
        jurnal().first();
        m_form->preview(jurnal());
        QCOMPARE(m_form->previewWindow(), preview);
        QCOMPARE(preview->report().rows().count(), 5);
        QCOMPARE(jurnal().currentRow(), 0);

        // Once closed, the next request opens a new preview of the view of that moment.
        preview->close();
        QTRY_VERIFY(!m_form->isPreviewOpen());
        ReportPreview* next = openPreview();
        QVERIFY(next);
        QCOMPARE(next->report().rows().count(), 55);
        QCOMPARE(jurnal().currentRow(), 54);
    }

    void printsFilteredViewOnly()
    {
        addRecords(30, QStringLiteral("ИТ-11"));
        addRecords(20, QStringLiteral("ИТ-12"));
        jurnal().setFilterText(QStringLiteral("gruppa='ИТ-12'"));
        jurnal().setFiltered(true);
        ReportPreview* preview = openPreview();
        QCOMPARE(preview->report().rows().count(), 20);
        QCOMPARE(preview->report().rows().row(0).gruppa, QStringLiteral("ИТ-12"));
        QCOMPARE(jurnal().currentRow(), 19);
    }

    void savesPdf()
    {
        addRecords(150);
        ReportPreview* preview = openPreview();
        const QString path = file(QStringLiteral("журнал.pdf"));
        FileDialogs::queueAnswer(path);
        trigger(preview, "savePdf");
        const QList<FileDialogs::Request> requests = FileDialogs::takeRequests();
        QCOMPARE(requests.size(), 1);
        QVERIFY(requests.first().save);
        QVERIFY(requests.first().filter.contains(QStringLiteral("*.pdf")));
        QVERIFY(requests.first().startFolder.endsWith(QStringLiteral(".pdf")));

        QVERIFY(preview->job());
        QSignalSpy finished(preview->job(), &ReportJob::finished);
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toBool(), true);
        QCOMPARE(pdfPages(path), 4);
        QTRY_VERIFY(enabled(preview, "savePdf"));
    }

    void cancelledDialogWritesNothing()
    {
        addRecords(3);
        ReportPreview* preview = openPreview();
        FileDialogs::queueAnswer(QString()); // cancelled
        trigger(preview, "savePdf");
        QVERIFY(!preview->job());
        FileDialogs::queueAnswer(QString());
        trigger(preview, "exportCsv");
        QVERIFY(!preview->job());
        QCOMPARE(QDir(m_dir->path())
                     .entryList({QStringLiteral("*.pdf"), QStringLiteral("*.csv")})
                     .size(),
                 0);
    }

    void cancellingKeepsTheFileThatWasThere()
    {
        addRecords(3000); // 67 pages
        ReportPreview* preview = openPreview();
        const QString path = file(QStringLiteral("old.pdf"));
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("old file");
        }
        preview->savePdfTo(path);
        ReportJob* job = preview->job();
        QVERIFY(job);
        QSignalSpy finished(job, &ReportJob::finished);
        QVERIFY(job->progressDialog());
        job->progressDialog()->cancel(); // the dialog's own cancel button
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toBool(), false);
        QCOMPARE(readAll(path), QByteArray("old file"));
        QCOMPARE(QDir(m_dir->path()).entryList({QStringLiteral("old*")}),
                 QStringList{QStringLiteral("old.pdf")});
    }

    void closingTheWindowEndsItsOutput()
    {
        addRecords(3000);
        ReportPreview* preview = openPreview();
        const QString path = file(QStringLiteral("closed.pdf"));
        preview->savePdfTo(path);
        QPointer<ReportJob> job = preview->job();
        QVERIFY(job);
        preview->close();
        QTRY_VERIFY(!job);
        // Nothing is left behind, not even the unfinished temporary file.
        QCOMPARE(QDir(m_dir->path()).entryList({QStringLiteral("closed*")}).size(), 0);
    }

    void unwritableFileShowsTheError()
    {
        addRecords(3);
        ReportPreview* preview = openPreview();
        const QString path = file(QStringLiteral("нет/такой/папки.pdf"));
        FileDialogs::queueAnswer(path);
        trigger(preview, "savePdf");
        const QList<MessageBoxes::Box> shown = MessageBoxes::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().icon, MessageBoxes::Icon::Error);
        QVERIFY2(shown.first().text.startsWith(QStringLiteral("Cannot create file \"") +
                                               QDir::toNativeSeparators(path)),
                 qPrintable(shown.first().text));
        QVERIFY(!preview->job());
        QVERIFY(enabled(preview, "savePdf"));
    }

    void printsThroughThePrinter_data()
    {
        QTest::addColumn<int>("range"); // 0 all, 1 pages 2-3, 2 current page
        QTest::addColumn<int>("copies");
        QTest::addColumn<int>("pages");
        QTest::newRow("all pages") << 0 << 1 << 4;
        QTest::newRow("page range") << 1 << 1 << 2;
        QTest::newRow("current page") << 2 << 1 << 1;
        QTest::newRow("two copies") << 0 << 2 << 8;
    }

    void printsThroughThePrinter()
    {
        QFETCH(int, range);
        QFETCH(int, copies);
        QFETCH(int, pages);
        addRecords(150);
        ReportPreview* preview = openPreview();

        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        preview->preparePrinter(*printer);
        // What the print dialog first offers.
        QCOMPARE(printer->copyCount(), 1);
        QCOMPARE(printer->printRange(), QPrinter::AllPages);
        QCOMPARE(printer->duplex(), QPrinter::DuplexNone);
        QCOMPARE(printer->paperSource(), QPrinter::Auto);
        QCOMPARE(printer->pageLayout().pageSize().id(), QPageSize::A4);
        QCOMPARE(printer->pageLayout().orientation(), QPageLayout::Portrait);

        // As the user leaves it in the dialog; printed to a file here.
        const QString path = file(QStringLiteral("printed.pdf"));
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(path);
        printer->setCopyCount(copies);
        if (range == 1) {
            printer->setPrintRange(QPrinter::PageRange);
            printer->setFromTo(2, 3);
        } else if (range == 2) {
            preview->pageView()->setCurrentPage(1);
            printer->setPrintRange(QPrinter::CurrentPage);
        }
        preview->printOn(std::move(printer));
        QVERIFY(preview->job());
        QSignalSpy finished(preview->job(), &ReportJob::finished);
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toBool(), true);
        QCOMPARE(pdfPages(path), pages);
    }

    void exportsCsv()
    {
        addRecords(40);
        ReportPreview* preview = openPreview();
        const QString path = file(QStringLiteral("журнал.csv"));
        FileDialogs::queueAnswer(path);
        trigger(preview, "exportCsv");
        QVERIFY(FileDialogs::takeRequests().first().filter.contains(QStringLiteral("*.csv")));
        QVERIFY(preview->job());
        QSignalSpy finished(preview->job(), &ReportJob::finished);
        QTRY_COMPARE(finished.size(), 1);
        const QByteArray data = readAll(path);
        QVERIFY(data.startsWith("\xEF\xBB\xBF"));
        QCOMPARE(data.count("\r\n"), 41);
        QVERIFY(data.contains(QStringLiteral("Ученик 0039;ИТ-11;Тема 4;39;").toUtf8()));
    }

    void exportsTheViewWithoutMovingIt()
    {
        addRecords(12);
        jurnal().moveTo(5);
        jurnal().edit();
        jurnal().setValue(QStringLiteral("fio"), QStringLiteral("Исправлено"));
        const QString path = file(QStringLiteral("view.csv"));
        FileDialogs::queueAnswer(path);
        auto window = std::make_unique<QWidget>();
        m_form->exportCsv(jurnal(), window.get());
        auto* job = window->findChild<ReportJob*>();
        QVERIFY(job);
        QSignalSpy finished(job, &ReportJob::finished);
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(jurnal().currentRow(), 5);
        QCOMPARE(jurnal().state(), Dataset::State::Edit);
        const QList<QByteArray> lines = readAll(path).split('\n');
        QVERIFY(lines.at(6).startsWith(QStringLiteral("Исправлено;").toUtf8()));
    }
};

QTEST_MAIN(TestReportPreview)
#include "tst_reportpreview.moc"
