#pragma once
// A whole number that the check worker writes and the UI thread reads without a lock. Copying a
// record copies the value.
#include <atomic>

class SharedInt final
{
public:
    SharedInt(int value = 0) : m_value(value) {}
    SharedInt(const SharedInt& other) : m_value(other.load()) {}
    SharedInt& operator=(const SharedInt& other)
    {
        m_value.store(other.load());
        return *this;
    }
    SharedInt& operator=(int value)
    {
        m_value.store(value);
        return *this;
    }
    operator int() const { return load(); }
    int load() const { return m_value.load(std::memory_order_relaxed); }
    int operator++() { return m_value.fetch_add(1, std::memory_order_relaxed) + 1; }
    int operator--() { return m_value.fetch_sub(1, std::memory_order_relaxed) - 1; }
    SharedInt& operator+=(int n)
    {
        m_value.fetch_add(n, std::memory_order_relaxed);
        return *this;
    }

private:
    std::atomic<int> m_value;
};
