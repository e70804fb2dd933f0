#include "LessonCommands.h"

const std::array<LessonCommands::Rule, 6>& LessonCommands::enablingRules()
{
    static const std::array<Rule, 6> rules{{
        {QStringLiteral("nn2"), QStringLiteral("jpg")},
        {QStringLiteral("nn3"), QStringLiteral("avi")},
        {QStringLiteral("N8"), QStringLiteral("wav")},
        {QStringLiteral("nn5"), QStringLiteral("test")},
        {QStringLiteral("nn1"), QStringLiteral("htm")},
        {QStringLiteral("nn4"), QStringLiteral("exe")},
    }};
    return rules;
}
