#include "TestRun.h"

#include <algorithm>
#include <chrono>
#include <random>

TestRun::TestRun()
    : m_seedSource([] {
          return static_cast<std::uint64_t>(
              std::chrono::high_resolution_clock::now().time_since_epoch().count());
      })
{}

void TestRun::setSeedSource(SeedSource source)
{
    m_seedSource = std::move(source);
}

void TestRun::start(const QString& courseRoot, const QVariant& testValue)
{
    start(courseRoot, [&testValue] { return testValue; });
}

void TestRun::start(const QString& courseRoot, const std::function<QVariant()>& testValue)
{
    std::mt19937_64 generator(m_seedSource());

    m_running = false;
    m_counted = false;
    m_recorded = false;
    m_right = 0;
    m_wrong = 0;
    m_drawn = 0;
    m_current = 0;
    for (Slot& slot : m_slots)
        slot.chosen = 0;
    m_opened.fill(false);

    m_key.read(courseRoot, testValue());
    m_courseRoot = courseRoot;

    // Every slot draws on its own from the whole pool, so a question may fill several slots
    // and some may not come at all. Slots beyond the draw keep what they held but do not count.
    const int pool = m_key.questionCount();
    m_drawn = std::min(pool, SlotCount);
    if (pool > 0) {
        std::uniform_int_distribution<int> question(1, pool);
        for (int i = 0; i < m_drawn; ++i) {
            Slot& slot = m_slots[static_cast<std::size_t>(i)];
            slot.question = question(generator);
            slot.correct = m_key.answer(slot.question);
        }
    }
    m_running = true;
}

bool TestRun::openSlot(int k)
{
    if (!m_running || !numberButtonEnabled(k))
        return false;
    m_opened[static_cast<std::size_t>(k - 1)] = true;
    m_current = k;
    return true;
}

void TestRun::chooseOption(int k)
{
    if (!m_running || m_current == 0 || k < 1 || k > OptionCount)
        return;
    m_slots[static_cast<std::size_t>(m_current - 1)].chosen = static_cast<OptionCode>(k);
}

TestRun::FinishOutcome TestRun::finish()
{
    if (!m_running)
        return m_counted ? FinishOutcome::AlreadyCounted : FinishOutcome::NoRun;
    m_running = false;
    m_right = 0;
    m_wrong = 0;
    for (int i = 0; i < m_drawn; ++i) {
        const Slot& slot = m_slots[static_cast<std::size_t>(i)];
        if (slot.correct == slot.chosen)
            ++m_right;
        else
            ++m_wrong;
    }
    m_counted = true;
    m_recorded = false;
    return FinishOutcome::Counted;
}

bool TestRun::numberButtonRed(int k) const
{
    return k >= 1 && k <= SlotCount && m_opened[static_cast<std::size_t>(k - 1)];
}

bool TestRun::optionRed(int k) const
{
    return m_running && m_current != 0 && slot(m_current).chosen == k;
}

QString TestRun::currentPagePath() const
{
    if (m_current == 0)
        return {};
    return m_key.pagePath(m_courseRoot, slot(m_current).question);
}
