#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Starts a lesson's companion program: detached, not waited for, in the process's current
// directory. The command line is the program's path as it is, neither quoted nor split into
// arguments. A Windows program on another platform is handed to Wine when Wine is installed.
class ProgramStarter
{
public:
    struct Command
    {
        QString program;
        QStringList arguments;
        bool operator==(const Command&) const = default;
    };

    // .exe, .com and .bat, letter case ignored.
    static bool isWindowsProgram(const QString& path);
    // How the program at `localPath` is started here; nothing when this platform cannot run it
    // (a Windows program without Wine). `wine` is Wine's full path, empty when it is missing.
    static std::optional<Command> commandFor(const QString& localPath, const QString& wine);
    // Wine's full path from PATH, or empty.
    static QString findWine();

    // Starts the program at the course path; false when it could not be started.
    static bool start(const QString& coursePath);
};
