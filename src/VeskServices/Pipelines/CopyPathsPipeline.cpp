// Copy path works in the program: it reads no file, and the clipboard is the program's.
#include "VeskKit/Foundation/Scheduler.h"
#include "VeskPlatform/Pasteboard/SystemPasteboard.h"
#include "VeskServices/Pipelines/FilePipelines.h"

#include <chrono>
#include <future>

namespace vesk {

QList<QUrl> CopyPathsPipeline::perform(const QList<QUrl>& urls, const PipelineContext& context) const {
    if (urls.isEmpty()) throw PipelineError::noInput();
    QStringList paths;
    for (const QUrl& url : urls)
        paths.append(url.isLocalFile() ? url.toLocalFile() : url.toString());
    const QString text = paths.join(QLatin1Char('\n'));
    Pasteboard* pasteboard = m_pasteboard;
    const auto write = [pasteboard, text] {
        if (pasteboard) {
            pasteboard->setString(text);
            return;
        }
        static SystemPasteboard* clipboard = new SystemPasteboard();
        clipboard->setString(text);
    };
    if (mainScheduler().isCurrent()) {
        write();
    } else {
        // Waits for the main thread's write, but not past the runner's going away.
        auto done = std::make_shared<std::promise<void>>();
        std::future<void> written = done->get_future();
        onMain([write, done] {
            write();
            done->set_value();
        });
        while (written.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready)
            context.checkStop();
    }
    if (context.progress.report) context.progress.report(1.0, QStringLiteral("Copied"));
    return {};
}

} // namespace vesk
