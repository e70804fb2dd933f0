#include "ProgramStarter.h"

#include "store/CoursePath.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

bool ProgramStarter::isWindowsProgram(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("exe") || suffix == QLatin1String("com") ||
           suffix == QLatin1String("bat");
}

std::optional<ProgramStarter::Command> ProgramStarter::commandFor(const QString& localPath,
                                                                  const QString& wine)
{
#ifdef Q_OS_WIN
    Q_UNUSED(wine);
    return Command{localPath, {}};
#else
    if (!isWindowsProgram(localPath))
        return Command{localPath, {}};
    if (wine.isEmpty())
        return std::nullopt;
    return Command{wine, {localPath}};
#endif
}

QString ProgramStarter::findWine()
{
    return QStandardPaths::findExecutable(QStringLiteral("wine"));
}

bool ProgramStarter::start(const QString& coursePath)
{
    const std::optional<Command> command = commandFor(CoursePath::toLocal(coursePath), findWine());
    if (!command)
        return false;
    return QProcess::startDetached(command->program, command->arguments, QDir::currentPath());
}
