// Posts journal records to a course database, as one copy of the program on a lab PC would:
//   lk_test_poster <database> <count> <student>
// Records alternate between attendance (score 0) and grades; record i is for lesson "Урок i".
// With LEKTORIKA_DATABASE set, the records go to that server, as the program's would.
#include "store/Dataset.h"
#include "store/DateValue.h"
#include "store/LkError.h"
#include "store/TDataModule2.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4)
        return 2;
    try {
        TDataModule2 module(nullptr, args[1]);
        module.DataModuleCreate();
        Dataset& jurnal = *module.Tjurnal;
        const int count = args[2].toInt();
        for (int i = 0; i < count; ++i) {
            jurnal.insert();
            jurnal.setValue(QStringLiteral("data"), DateValue::today());
            jurnal.setValue(QStringLiteral("fio"), args[3]);
            jurnal.setValue(QStringLiteral("gruppa"), QStringLiteral("Лаборатория"));
            jurnal.setValue(QStringLiteral("urok"), QStringLiteral("Урок %1").arg(i));
            jurnal.setValue(QStringLiteral("ocenka"), i % 2 == 0 ? 0 : i % 101);
            jurnal.post();
        }
    } catch (const LkError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}
