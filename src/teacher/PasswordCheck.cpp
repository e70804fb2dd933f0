#include "PasswordCheck.h"

#include "store/Dataset.h"
#include "store/LkError.h"

bool PasswordCheck::matches(const QVariant& stored, const QString& typed)
{
    if (!stored.isValid() || stored.isNull())
        return false;
    const QString text = stored.toString();
    if (PasswordHash::isHash(text))
        return PasswordHash::verify(typed, text);
    return text == typed;
}

bool PasswordCheck::check(Dataset& tpas, const QString& typed, int iterations)
{
    const QVariant stored = tpas.value(Field);
    if (!matches(stored, typed))
        return false;
    if (!PasswordHash::isHash(stored.toString())) {
        try {
            store(tpas, typed, iterations);
        } catch (const LkError&) {
            // A read-only course keeps its plain password; the teacher is let in all the same.
            tpas.cancel();
        }
    }
    return true;
}

void PasswordCheck::store(Dataset& tpas, const QString& password, int iterations)
{
    const int field = tpas.field(Field);
    tpas.edit();
    tpas.setValue(field, PasswordHash::make(password, iterations));
    tpas.post();
}
