#pragma once
// Sets (or, with nullptr, unsets) an environment variable for one scope and puts the old value back.
#include <cstdlib>
#include <optional>
#include <string>

struct ScopedEnv final
{
    ScopedEnv(const char* name, const char* value) : m_name(name)
    {
        if (const char* before = std::getenv(name)) {
            m_old = before;
        }
        value != nullptr ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { m_old ? setenv(m_name, m_old->c_str(), 1) : unsetenv(m_name); }

    const char* m_name;
    std::optional<std::string> m_old;
};
