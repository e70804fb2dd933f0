#pragma once

#include "AnswerKey.h"

#include <QString>
#include <QVariant>

#include <array>
#include <cstdint>
#include <functional>

// One test run over forty question slots, without any widget: Start reads the answer key and
// draws questions into the slots, the number buttons open slots, the option buttons mark the
// current slot, Finish counts. The window asks it what to show after every step.
//
// A run counts only the slots it drew (1 to min(N, 40) for N questions); a key of more than
// 40 lines is a pool the slots are drawn from. A run ends at Finish: afterwards the option
// buttons mark nothing and a further Finish only shows the result again.
class TestRun
{
public:
    static constexpr int SlotCount = 40;
    static constexpr int OptionCount = 5;

    struct Slot
    {
        int question = 0;       // 0 until a draw fills the slot
        OptionCode correct = 0; // the key's answer of that question, taken at the draw
        OptionCode chosen = 0;  // the student's mark, 0 when not answered
    };

    // What Finish asks the window to do.
    enum class FinishOutcome {
        NoRun,         // no run was started (or the last Start failed): show nothing
        Counted,       // the run was counted: show the result
        AlreadyCounted // the run had ended already: bring the result to the front, no recount
    };

    using SeedSource = std::function<std::uint64_t()>;

    TestRun();

    // Seeds for the draw; by default the high-resolution clock, read at every Start.
    void setSeedSource(SeedSource source);

    // Start: clears the marks, the counts, the opened buttons and the current slot, reads the
    // key of the test named by testValue and draws. Throws LkError when the key cannot be read;
    // the run then stays idle.
    void start(const QString& courseRoot, const QVariant& testValue);
    // The same, with the test value fetched only after the clearing, so that a failure to fetch
    // it (a closed lessons table) leaves the run cleared and idle as a failed reading does.
    void start(const QString& courseRoot, const std::function<QVariant()>& testValue);
    // Number button with caption k: opens slot k. False (and nothing changes) when slot k is
    // not part of a running run.
    bool openSlot(int k);
    // Option button k (1 = A … 5 = E): marks the current slot. Nothing outside a run or while
    // no slot is current.
    void chooseOption(int k);
    FinishOutcome finish();

    // What the window shows.
    bool isRunning() const { return m_running; } // number panel visible, Start disabled
    int drawnCount() const { return m_drawn; }
    bool numberButtonEnabled(int k) const { return k >= 1 && k <= m_drawn; }
    bool numberButtonRed(int k) const;
    bool optionRed(int k) const;
    int currentSlot() const { return m_current; }
    // Logical path of the current slot's question page (course root + folder prefix + n + ".htm").
    QString currentPagePath() const;

    int right() const { return m_right; }
    int wrong() const { return m_wrong; }
    const Slot& slot(int k) const { return m_slots.at(static_cast<std::size_t>(k - 1)); }
    const AnswerKey& key() const { return m_key; }

    // The grade record of a counted run is written at most once, and not at all when the
    // counts are empty.
    bool gradeRecordDue() const { return m_counted && !m_recorded && m_right + m_wrong > 0; }
    void markGradeRecorded() { m_recorded = true; }

private:
    AnswerKey m_key;
    std::array<Slot, SlotCount> m_slots{};
    std::array<bool, SlotCount> m_opened{};
    SeedSource m_seedSource;
    QString m_courseRoot;
    int m_current = 0;
    int m_drawn = 0;
    int m_right = 0;
    int m_wrong = 0;
    bool m_running = false;
    bool m_counted = false;
    bool m_recorded = false;
};
