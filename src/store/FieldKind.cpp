#include "FieldKind.h"

QString fieldKindName(FieldKind kind)
{
    switch (kind) {
    case FieldKind::WideString:
        return QStringLiteral("WideString");
    case FieldKind::Integer:
        return QStringLiteral("Integer");
    case FieldKind::AutoInc:
        return QStringLiteral("AutoInc");
    case FieldKind::DateTime:
        return QStringLiteral("DateTime");
    case FieldKind::Float:
        return QStringLiteral("Float");
    case FieldKind::Boolean:
        return QStringLiteral("Boolean");
    case FieldKind::Blob:
        return QStringLiteral("Blob");
    case FieldKind::Unknown:
        break;
    }
    return QStringLiteral("Unknown");
}

bool fieldKindFits(FieldKind expected, FieldKind actual)
{
    if (expected == actual)
        return true;
    // An auto-increment key is an integer too.
    return expected == FieldKind::Integer && actual == FieldKind::AutoInc;
}
