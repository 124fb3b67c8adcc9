#include "support/ChildMain.h"

#include <QHash>
#include <QString>

namespace vesk::test {

namespace {

const QString option = QStringLiteral("--vesk-child=");

QHash<QString, std::function<int()>>& registry() {
    static QHash<QString, std::function<int()>> mains;
    return mains;
}

} // namespace

bool registerChildMain(const char* name, std::function<int()> main) {
    registry().insert(QString::fromLatin1(name), std::move(main));
    return true;
}

QStringList childArguments(const char* name) {
    return {option + QString::fromLatin1(name)};
}

std::optional<int> runChildMain(const QStringList& arguments) {
    for (const QString& argument : arguments) {
        if (!argument.startsWith(option)) continue;
        const auto main = registry().value(argument.mid(option.size()));
        return main ? main() : 2;
    }
    return std::nullopt;
}

} // namespace vesk::test
