// Times the synced store's two calls that run on the main thread most often: saving the
// scratch note (the notes widget saves on every keystroke) and re-reading the desk's
// lists (every opening of the desk). Prints the median and the worst of each.
#include "VeskSync/DeskRepository.h"
#include "VeskSync/ModelContainer.h"
#include "VeskSync/ModelContext.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace vesk;

namespace {

struct Figures {
    double median = 0, worst = 0; // milliseconds
};

Figures time(int runs, const std::function<void(int)>& call) {
    std::vector<double> ms;
    ms.reserve(size_t(runs));
    QElapsedTimer timer;
    for (int i = 0; i < runs; ++i) {
        timer.start();
        call(i);
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

void print(const char* what, const Figures& figures) {
    std::printf("  %-36s %9.3f ms %9.3f ms\n", what, figures.median, figures.worst);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    QString error;
    const auto container = ModelContainer::open(folder.filePath(QStringLiteral("Vesk.store")), &error);
    if (!container) {
        std::fprintf(stderr, "vesk-bench-store: %s\n", qPrintable(error));
        return 1;
    }
    DeskRepository repository(std::make_shared<ModelContext>(container), QStringLiteral("Bench"));

    constexpr int saves = 1000, todos = 500, refreshes = 1000;
    QString text;
    const Figures save = time(saves, [&](int i) {
        text += QChar(u'a' + i % 26);
        repository.saveNote(text);
    });

    ModelContext writer(container);
    for (int i = 0; i < todos; ++i) {
        auto todo = std::make_shared<SyncedTodo>();
        todo->title = QStringLiteral("to-do %1").arg(i);
        todo->isDone = i % 3 == 0;
        todo->isFavorite = i % 7 == 0;
        todo->createdAt = Date{800000000.0 + i};
        writer.insert(todo);
    }
    if (!writer.save(&error)) {
        std::fprintf(stderr, "vesk-bench-store: %s\n", qPrintable(error));
        return 1;
    }
    const Figures refresh = time(refreshes, [&](int) { repository.refresh(); });
    if (repository.todos().size() != todos || repository.noteText() != text) {
        std::fprintf(stderr, "vesk-bench-store: the store did not read back what was written\n");
        return 1;
    }

    std::printf("Synced store, in a temporary folder\n");
    std::printf("  %-36s %12s %12s\n", "", "median", "worst");
    print("saveNote, 1000 calls", save);
    print("refresh() over 500 to-dos, 1000 calls", refresh);
    return 0;
}
