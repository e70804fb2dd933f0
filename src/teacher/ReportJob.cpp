#include "ReportJob.h"

#include "JournalCsv.h"
#include "JournalReport.h"
#include "JournalRowSource.h"
#include "ReportPageWriter.h"

#include "app/AppTitle.h"
#include "app/Guard.h"
#include "store/LkError.h"

#include <QDir>
#include <QPdfWriter>
#include <QPrinter>
#include <QProgressDialog>
#include <QSaveFile>

namespace {

// Work slices are cut after this long, so the windows answer within a frame or two.
constexpr int SliceMs = 40;

QString reportTitle()
{
    return QStringLiteral("Результаты учебной деятельности учащихся");
}

[[noreturn]] void cannotCreate(const QString& path, const QString& reason)
{
    throw LkError(
        QStringLiteral("Cannot create file \"%1\". %2").arg(QDir::toNativeSeparators(path), reason),
        LkErrorKind::FileCreate);
}

} // namespace

ReportJob::ReportJob(QWidget* window, const QString& label, int total, Work work)
    : QObject(window), m_work(std::move(work)), m_total(total), m_label(label)
{
    m_dialog = new QProgressDialog(label, QStringLiteral("Отмена"), 0, std::max(total, 1), window);
    m_dialog->setWindowTitle(appTitle());
    m_dialog->setWindowModality(Qt::WindowModal);
    m_dialog->setMinimumDuration(400);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setValue(0);
    connect(m_dialog, &QProgressDialog::canceled, this, [this] { cancel(); });

    m_timer.setSingleShot(true);
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, guarded([this] { tick(); }));
    m_timer.start();
}

ReportJob::~ReportJob()
{
    if (!m_over) {
        m_over = true;
        try {
            m_work.finish(false);
        } catch (...) {
            // Discarding output cannot fail in a way anyone could act on.
        }
    }
    delete m_dialog;
}

int ReportJob::done() const
{
    return m_work.done();
}

void ReportJob::cancel()
{
    m_cancelled = true;
}

bool ReportJob::cancelled() const
{
    return m_cancelled || (m_dialog && m_dialog->wasCanceled());
}

void ReportJob::tick()
{
    if (m_over)
        return;
    if (cancelled()) {
        end(false);
        return;
    }
    QElapsedTimer slice;
    slice.start();
    bool more = true;
    try {
        do
            more = m_work.step();
        while (more && slice.elapsed() < SliceMs);
    } catch (...) {
        end(false);
        throw;
    }

    // A modal progress dialog runs the event loop while it updates.
    const QPointer<ReportJob> alive(this);
    if (m_dialog)
        m_dialog->setValue(std::min(done(), std::max(m_total, 1)));
    if (!alive || m_over)
        return;

    if (!more)
        end(true);
    else if (cancelled())
        end(false);
    else
        m_timer.start();
}

void ReportJob::end(bool completed)
{
    if (m_over)
        return;
    m_over = true;
    m_timer.stop();
    if (m_dialog) {
        m_dialog->hide();
        m_dialog->deleteLater();
    }
    deleteLater();
    try {
        m_work.finish(completed);
    } catch (...) {
        emit finished(false);
        throw;
    }
    emit finished(completed);
}

ReportJob* ReportJob::savePdf(QWidget* window, std::shared_ptr<const JournalReport> report,
                              const QString& path)
{
    struct Output
    {
        std::shared_ptr<const JournalReport> report;
        QSaveFile file;
        std::unique_ptr<QPdfWriter> pdf;
        std::unique_ptr<ReportPageWriter> writer;
    };
    auto out = std::make_shared<Output>();
    out->report = std::move(report);
    out->file.setFileName(path);
    if (!out->file.open(QIODevice::WriteOnly))
        cannotCreate(path, out->file.errorString());
    out->pdf = std::make_unique<QPdfWriter>(&out->file);
    out->pdf->setPageLayout(JournalReport::pageLayout());
    out->pdf->setTitle(reportTitle());
    out->pdf->setCreator(appTitle());
    out->writer = std::make_unique<ReportPageWriter>(*out->report, out->pdf.get(), 0,
                                                     out->report->pageCount() - 1);
    if (!out->writer->begin())
        cannotCreate(path, out->file.errorString());

    Output* o = out.get();
    Work work;
    work.step = [o] { return o->writer->writeSome(4); };
    work.done = [o] { return o->writer->written(); };
    work.finish = [o, path](bool completed) {
        const bool painted = o->writer->finish();
        o->writer.reset();
        o->pdf.reset();
        if (!completed) {
            o->file.cancelWriting();
            return;
        }
        if (!painted || !o->file.commit())
            cannotCreate(path, o->file.errorString());
    };
    work.resources = out;
    return new ReportJob(window, QStringLiteral("Сохранение в PDF..."), o->writer->total(),
                         std::move(work));
}

ReportJob* ReportJob::saveCsv(QWidget* window, std::shared_ptr<const JournalRowSource> rows,
                              const QString& path)
{
    struct Output
    {
        std::shared_ptr<const JournalRowSource> rows;
        QSaveFile file;
        std::unique_ptr<JournalCsv> csv;
    };
    auto out = std::make_shared<Output>();
    out->rows = std::move(rows);
    out->file.setFileName(path);
    if (!out->file.open(QIODevice::WriteOnly))
        cannotCreate(path, out->file.errorString());
    out->csv = std::make_unique<JournalCsv>(*out->rows, &out->file);

    Output* o = out.get();
    Work work;
    work.step = [o, path] {
        const bool more = o->csv->writeSome(2000);
        if (!o->csv->error().isEmpty())
            cannotCreate(path, o->csv->error());
        return more;
    };
    work.done = [o] { return o->csv->written(); };
    work.finish = [o, path](bool completed) {
        if (!completed) {
            o->file.cancelWriting();
            return;
        }
        if (!o->file.commit())
            cannotCreate(path, o->file.errorString());
    };
    work.resources = out;
    return new ReportJob(window, QStringLiteral("Экспорт в CSV..."), o->rows->count(),
                         std::move(work));
}

ReportJob* ReportJob::print(QWidget* window, std::shared_ptr<const JournalReport> report,
                            std::unique_ptr<QPrinter> printer, int first, int last)
{
    struct Output
    {
        std::shared_ptr<const JournalReport> report;
        std::unique_ptr<QPrinter> printer;
        std::unique_ptr<ReportPageWriter> writer;
    };
    auto out = std::make_shared<Output>();
    out->report = std::move(report);
    out->printer = std::move(printer);

    // Copies the printer cannot make itself are printed one after the other.
    QList<int> pages;
    const int copies = out->printer->supportsMultipleCopies() ? 1 : out->printer->copyCount();
    const bool collate = out->printer->collateCopies();
    for (int c = 0; c < (collate ? copies : 1); ++c) {
        for (int p = first; p <= last; ++p) {
            for (int k = 0; k < (collate ? 1 : copies); ++k)
                pages.append(p);
        }
    }
    out->writer = std::make_unique<ReportPageWriter>(*out->report, out->printer.get(), pages);
    if (!out->writer->begin())
        throw LkError(QStringLiteral("Printer selected is not valid"));

    Output* o = out.get();
    Work work;
    work.step = [o] { return o->writer->writeSome(4); };
    work.done = [o] { return o->writer->written(); };
    work.finish = [o](bool completed) {
        if (!completed)
            o->printer->abort();
        const bool painted = o->writer->finish();
        o->writer.reset();
        if (completed && !painted)
            throw LkError(QStringLiteral("Printer selected is not valid"));
    };
    work.resources = out;
    return new ReportJob(window, QStringLiteral("Печать..."), int(pages.size()), std::move(work));
}
