#pragma once

#include "VeskUI/Notch/TextMeasurer.h"

#include <QFont>
#include <QHash>
#include <QList>
#include <QString>

namespace vesk::test {

// Measures texts from a table instead of fonts, and remembers what it was asked.
// A text not in the table is 10 points per character.
class FakeTextMeasurer final : public TextMeasurer {
public:
    struct Call {
        QString text;
        QFont font;
    };

    void setWidth(const QString& text, double width) { m_widths.insert(text, width); }

    double width(const QString& text, const QFont& font) const override {
        m_calls.append({text, font});
        return m_widths.value(text, 10.0 * text.size());
    }

    const QList<Call>& calls() const { return m_calls; }
    void clearCalls() { m_calls.clear(); }

private:
    QHash<QString, double> m_widths;
    mutable QList<Call> m_calls;
};

} // namespace vesk::test
