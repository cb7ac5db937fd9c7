#pragma once

#include <bitset>
#include <cstdint>

namespace platform {

// The answer of an asynchronous key-state query from what a system reports: whether the key is
// down at the moment of the query, and, where the system reports them, the key's presses as they
// happen. Bit 15 is set while the key is down, bit 0 when it was pressed since the previous query
// for it. Where presses are not reported, a press is taken to be the key found down where the
// previous query found it up, which misses a press that falls between two queries.
class KeyPressTracker
{
public:
    explicit KeyPressTracker(bool pressesReported)
        : m_pressesReported(pressesReported)
    {
    }

    bool pressesReported() const { return m_pressesReported; }

    // A key (0 to 255) went down.
    void notePress(unsigned key)
    {
        if (key < Keys)
            m_pressedSinceQuery.set(key);
    }

    std::int16_t query(unsigned key, bool down)
    {
        if (key >= Keys)
            return 0;
        const bool pressed = m_pressesReported ? m_pressedSinceQuery.test(key)
                                               : down && !m_downAtLastQuery.test(key);
        m_pressedSinceQuery.reset(key);
        m_downAtLastQuery.set(key, down);
        return std::int16_t((down ? 0x8000 : 0) | (pressed ? 1 : 0));
    }

private:
    static constexpr unsigned Keys = 256;
    bool m_pressesReported;
    std::bitset<Keys> m_pressedSinceQuery;
    std::bitset<Keys> m_downAtLastQuery;
};

} // namespace platform
