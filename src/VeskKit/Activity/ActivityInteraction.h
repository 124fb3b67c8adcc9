#pragma once

#include "VeskKit/Notch/DeskTab.h"

#include <QString>
#include <QUrl>

#include <variant>

namespace vesk {

// What a click on an activity does.
class ActivityInteraction {
public:
    enum class Kind {
        openDesk,   // open the desk on a tab
        openURL,    // open a URL
        runCommand, // run a named command
    };

    static ActivityInteraction openDesk(DeskTab tab) { return ActivityInteraction(Kind::openDesk, tab); }
    static ActivityInteraction openURL(QUrl url) {
        return ActivityInteraction(Kind::openURL, std::move(url));
    }
    static ActivityInteraction runCommand(QString command) {
        return ActivityInteraction(Kind::runCommand, std::move(command));
    }

    Kind kind() const { return m_kind; }

    // The tab of `openDesk`; `desk` for the other cases.
    DeskTab tab() const {
        if (const auto* t = std::get_if<DeskTab>(&m_value)) return *t;
        return DeskTab::desk;
    }
    // The URL of `openURL`; empty for the other cases.
    QUrl url() const {
        if (const auto* u = std::get_if<QUrl>(&m_value)) return *u;
        return {};
    }
    // The command of `runCommand`; empty for the other cases.
    QString command() const {
        if (const auto* c = std::get_if<QString>(&m_value)) return *c;
        return {};
    }

    friend bool operator==(const ActivityInteraction&, const ActivityInteraction&) = default;

private:
    using Value = std::variant<DeskTab, QUrl, QString>;

    ActivityInteraction(Kind kind, Value value) : m_kind(kind), m_value(std::move(value)) {}

    Kind m_kind;
    Value m_value;
};

} // namespace vesk
