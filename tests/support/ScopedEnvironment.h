#pragma once

#include <QByteArray>
#include <QList>

#include <optional>
#include <utility>

namespace vesk::test {

// Environment variables a test changes, put back as they were (set or not) when this
// goes: the test process outlives the test.
class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ~ScopedEnvironment() {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
            if (it->second)
                qputenv(it->first.constData(), *it->second);
            else
                qunsetenv(it->first.constData());
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

    void set(const char* name, const QByteArray& value) {
        save(name);
        qputenv(name, value);
    }
    void unset(const char* name) {
        save(name);
        qunsetenv(name);
    }

private:
    void save(const char* name) {
        m_saved.append({QByteArray(name), qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name))
                                                                          : std::nullopt});
    }

    QList<std::pair<QByteArray, std::optional<QByteArray>>> m_saved;
};

} // namespace vesk::test
