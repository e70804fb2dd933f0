#include "Guard.h"

#include "MessageBoxes.h"
#include "store/LkError.h"

#include <QString>

void runGuarded(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const LkError& e) {
        MessageBoxes::error(e.message());
    } catch (const std::exception& e) {
        MessageBoxes::error(QString::fromUtf8(e.what()));
    }
}
