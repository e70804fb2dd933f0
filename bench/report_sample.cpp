// Paints page 1 of a sample journal report into a PNG (for the README):
//   report_sample <file.png> [dpi]    (100 dpi by default)
#include "ReportSamples.h"

#include "teacher/JournalReport.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: report_sample <file.png> [dpi]\n");
        return 2;
    }
    const int dpi = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 100;
    const JournalReport report(ReportSamples::journal(60));

    QImage image(qRound(210 / 25.4 * dpi), qRound(297 / 25.4 * dpi), QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing);
        report.paintPage(painter, 0, dpi, dpi);
    }
    if (!image.save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
