#pragma once

#include <QStringList>

class LkError;

// Start-up and the end of a run: creates the nine objects once, in their fixed order, each
// completely (with its creation handler) before the next; destroys them in reverse order.
class Startup
{
public:
    // Creates Form6 … Form8. An error inside a creation handler is shown and start-up goes on;
    // an error while a window itself is built is fatal (see fatalText).
    static void createAll();
    // Destroys the nine objects, Form8 first and Form6 last.
    static void destroyAll();
    // The whole program: create, show the opening screen, run the loop, destroy.
    static int run(int& argc, char** argv);
    // The same within an application object that already exists.
    static int execute();
    // What every end of the run does before the objects are destroyed: a topic tree changed
    // during the run is saved.
    static void endOfRun();

    // The names of the objects in the order they were created during this run (for tests).
    static QStringList creationLog();

    // The text of the "Application Error" box for an error while building a window.
    static QString fatalText(const LkError& error, const void* address);
};
