#include "LkApplication.h"

#include "AppTitle.h"
#include "MessageBoxes.h"
#include "store/LkError.h"

LkApplication::LkApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(appTitle());
    setQuitOnLastWindowClosed(false);
}

bool LkApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const LkError& e) {
        MessageBoxes::error(e.message());
    } catch (const std::exception& e) {
        MessageBoxes::error(QString::fromUtf8(e.what()));
    }
    return false;
}
