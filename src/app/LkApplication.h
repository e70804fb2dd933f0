#pragma once

#include <QApplication>

// The last net under the handler guard: an exception escaping any event delivery is shown in
// the default error box instead of ending the program.
class LkApplication : public QApplication
{
public:
    LkApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
