#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

// Switches the process time zone (a POSIX rule) for one scope, for tests of
// local clock times.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ"))
            m_previous = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone() {
        m_previous ? setenv("TZ", m_previous->c_str(), 1) : unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> m_previous;
};
