#pragma once
// A yes/no value that the check worker writes and the UI thread reads without a lock. Copying a
// record copies the value.
#include <atomic>

class SharedFlag final
{
public:
    SharedFlag(bool value = false) : m_value(value) {}
    SharedFlag(const SharedFlag& other) : m_value(other.load()) {}
    SharedFlag& operator=(const SharedFlag& other)
    {
        m_value.store(other.load());
        return *this;
    }
    SharedFlag& operator=(bool value)
    {
        m_value.store(value);
        return *this;
    }
    operator bool() const { return load(); }
    bool load() const { return m_value.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> m_value;
};
