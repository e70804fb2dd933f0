#pragma once

#include <QString>

// The application title: names the program and captions every message box.
inline QString appTitle()
{
    return QStringLiteral("Лекторика");
}
