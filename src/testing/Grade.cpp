#include "Grade.h"

Grade Grade::of(int right, int wrong)
{
    const std::int64_t total = std::int64_t(right) + wrong;
    if (total <= 0 || right < 0)
        return {};
    return {roundHalfEven(std::int64_t(right) * 100, total),
            roundHalfEven(std::int64_t(right) * 5, total)};
}

std::int64_t Grade::roundHalfEven(std::int64_t numerator, std::int64_t denominator)
{
    const std::int64_t quotient = numerator / denominator;
    const std::int64_t twiceRest = (numerator % denominator) * 2;
    if (twiceRest > denominator || (twiceRest == denominator && quotient % 2 != 0))
        return quotient + 1;
    return quotient;
}
