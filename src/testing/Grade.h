#pragma once

#include <cstdint>

// The outcome of a run: the percentage R × 100 / (R + W) and the grade R × 5 / (R + W), each
// rounded to the nearest integer with ties to the even one, in exact integer arithmetic.
// With no count to report (R + W = 0) both are 0.
struct Grade
{
    std::int64_t percent = 0;
    std::int64_t grade = 0;

    static Grade of(int right, int wrong);
    // numerator / denominator rounded half to even; denominator > 0, numerator >= 0.
    static std::int64_t roundHalfEven(std::int64_t numerator, std::int64_t denominator);
};
