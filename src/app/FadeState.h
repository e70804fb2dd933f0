#pragma once

#include <QtGlobal>

// The opening screen's fade arithmetic, apart from the window so its sequences can be run without
// one. The value is the window's opacity as one unsigned byte (0 transparent, 255 opaque); the two
// flags say whether the fade-in and the fade-out timer run. The window keeps its timers in step.
class FadeState
{
public:
    quint8 value() const { return m_value; }
    bool fadeInRunning() const { return m_fadeIn; }
    bool fadeOutRunning() const { return m_fadeOut; }

    // One fade-in tick: up by 10; the fade-in stops once the value is above 240, so it ends at 250.
    void fadeInTick()
    {
        m_value = static_cast<quint8>(m_value + 10);
        if (m_value > 240)
            m_fadeIn = false;
    }

    // A click on the entry spot starts the fade-out; a second click changes nothing.
    void enter() { m_fadeOut = true; }

    // One fade-out tick: ends a fade-in still under way, then down by 10 but not below 0.
    // True when the value is now below 40: the caller then shows the main window, hides the
    // opening screen and calls finishFadeOut(), in this order.
    bool fadeOutTick()
    {
        m_fadeIn = false;
        m_value = m_value < 10 ? 0 : static_cast<quint8>(m_value - 10);
        return m_value < 40;
    }
    void finishFadeOut() { m_fadeOut = false; }

private:
    quint8 m_value = 0;
    bool m_fadeIn = true;
    bool m_fadeOut = false;
};
