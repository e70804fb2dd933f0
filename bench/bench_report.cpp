// Speed of the journal report on a journal of 100,000 records: from "Печать" to the first page
// on screen, and saving every page as PDF. Prints each figure beside its target.
#include "ReportSamples.h"

#include "store/Dataset.h"
#include "store/DateValue.h"
#include "store/TDataModule2.h"
#include "teacher/DatasetJournal.h"
#include "teacher/JournalReport.h"
#include "teacher/JournalSnapshot.h"
#include "teacher/JournalView.h"
#include "teacher/ReportJob.h"
#include "teacher/ReportPageView.h"
#include "teacher/ReportPageWriter.h"
#include "teacher/ReportPreview.h"
#include "teacher/TForm8.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPdfWriter>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace {

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

void seed(const QString& dbFile, int rows)
{
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("seed"));
        db.setDatabaseName(dbFile);
        if (!db.open())
            qFatal("cannot open %s", qPrintable(dbFile));
        db.transaction();
        QSqlQuery q(db);
        q.prepare(QStringLiteral(
            "INSERT INTO jurnal (urok, data, ocenka, fio, gruppa) VALUES (?, ?, ?, ?, ?)"));
        for (int i = 0; i < rows; ++i) {
            const JournalSnapshot::Values v = ReportSamples::values(i);
            q.addBindValue(v[2]);
            q.addBindValue(DateValue::fromDateTime(v[4].toDateTime()));
            q.addBindValue(v[3]);
            q.addBindValue(v[0]);
            q.addBindValue(v[1]);
            if (!q.exec())
                qFatal("insert failed");
        }
        db.commit();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("seed"));
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int rows = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;

    QTemporaryDir dir;
    const QString dbFile = dir.filePath(QStringLiteral("db1.sqlite"));
    TDataModule2 module(nullptr, dbFile); // a new course database with its tables
    module.DataModuleCreate();
    seed(dbFile, rows);
    Dataset& jurnal = *module.Tjurnal;
    jurnal.refresh();
    std::printf("journal: %d records\n", jurnal.recordCount());

    // "Печать": from the request to the first page painted in the preview window.
    TForm8 form;
    QElapsedTimer clock;
    clock.start();
    form.preview(jurnal);
    const qint64 opened = clock.elapsed();
    ReportPreview* preview = form.previewWindow();
    {
        QEventLoop wait;
        bool shown = false;
        QObject::connect(preview->pageView(), &ReportPageView::pageShown, &wait, [&](int page) {
            if (page == 0) {
                shown = true;
                wait.quit();
            }
        });
        QTimer::singleShot(10000, &wait, &QEventLoop::quit);
        if (!shown)
            wait.exec();
    }
    const qint64 firstPage = clock.elapsed();
    const int pages = preview->report().pageCount();
    std::printf("preview: %d pages; window open after %lld ms\n", pages, opened);
    std::printf("preview first page on screen: %lld ms (target <= 300 ms)\n", firstPage);

    // Laying out the pages alone.
    clock.restart();
    const JournalReport pagination(std::make_shared<DatasetJournal>(jurnal));
    std::printf("  laying out %d pages: %.2f ms\n", pagination.pageCount(),
                clock.nsecsElapsed() / 1e6);
    // Copying the view, which a preview does once if the journal changes while it is open.
    clock.restart();
    const auto copy = JournalView::snapshot(jurnal);
    std::printf("copying the view of %d records (on a change while the preview is open): %lld ms\n",
                copy->count(), clock.elapsed());

    // Saving all pages as PDF, through the same job the preview's button starts.
    const QString pdfPath = dir.filePath(QStringLiteral("journal.pdf"));
    double cpu0 = cpuSeconds();
    clock.restart();
    preview->savePdfTo(pdfPath);
    {
        QEventLoop wait;
        QObject::connect(preview->job(), &ReportJob::finished, &wait, &QEventLoop::quit);
        wait.exec();
    }
    double seconds = clock.elapsed() / 1000.0;
    double cpu = cpuSeconds() - cpu0;
    std::printf("save as PDF: %d pages in %.2f s = %.0f pages/s (target >= 500 pages/s); "
                "cpu %.2f s = %.0f pages/s; file %.1f MB\n",
                pages, seconds, pages / seconds, cpu, pages / cpu,
                QFile(pdfPath).size() / 1048576.0);

    // Exporting the view as CSV.
    const QString csvPath = dir.filePath(QStringLiteral("journal.csv"));
    clock.restart();
    preview->exportCsvTo(csvPath);
    {
        QEventLoop wait;
        QObject::connect(preview->job(), &ReportJob::finished, &wait, &QEventLoop::quit);
        wait.exec();
    }
    seconds = clock.elapsed() / 1000.0;
    std::printf("export as CSV: %d rows in %.2f s = %.0f rows/s\n", rows, seconds, rows / seconds);

    // A page on screen at 100 % and at 300 dpi.
    for (const int dpi : {96, 300}) {
        QImage image(qRound(210 / 25.4 * dpi), qRound(297 / 25.4 * dpi), QImage::Format_RGB32);
        clock.restart();
        const int n = 20;
        for (int i = 0; i < n; ++i) {
            image.fill(Qt::white);
            QPainter painter(&image);
            preview->report().paintPage(painter, (i * 97) % pages, dpi, dpi);
        }
        std::printf("one page painted at %d dpi: %.1f ms\n", dpi, clock.nsecsElapsed() / 1e6 / n);
    }
    return 0;
}
