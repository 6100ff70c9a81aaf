#include "gui/ondemand/OnDemandLibrary.h"

#include <dlfcn.h>

OnDemandLibrary::OnDemandLibrary(const char* soname, SetUp setUp) : m_soname(soname), m_setUp(setUp) {}

void OnDemandLibrary::Open()
{
    m_handle = dlopen(m_soname, RTLD_NOW | RTLD_LOCAL);
    if (m_handle == nullptr) {
        const char* reason = dlerror();
        m_error = std::string(m_soname) + " could not be loaded: " + (reason ? reason : "unknown error");
    } else if (m_setUp != nullptr && !m_setUp(m_handle)) {
        m_handle = nullptr; // left mapped: what the set-up began may still point into it
        m_error = std::string(m_soname) + " could not be set up";
    }
    m_bTried.store(true, std::memory_order_release);
}

void* OnDemandLibrary::Symbol(const char* name)
{
    std::call_once(m_once, [this] { Open(); });
    return m_handle == nullptr ? nullptr : dlsym(m_handle, name);
}

bool OnDemandLibrary::IsOpen() const
{
    return m_bTried.load(std::memory_order_acquire) && m_handle != nullptr;
}

const char* OnDemandLibrary::Error() const
{
    return m_bTried.load(std::memory_order_acquire) ? m_error.c_str() : "";
}
