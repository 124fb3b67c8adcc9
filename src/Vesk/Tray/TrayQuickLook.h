#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <QUrl>
#include <QWidget>

#include <memory>

class QPlainTextEdit;

namespace vesk {

class PipelineWorker;
class Scheduler;
class SerialQueue;

// Our preview window for the tray's files, one per program: a tool window titled with
// the file's name, centred on the screen under the pointer and sized to its content up
// to 80 % of that screen. It shows an image (upright), the first page of a PDF, the start
// of a text file, or else the type's icon with name and size. Images and PDF pages are
// decoded and rendered by the pipeline worker process, text is read on the queue
// "app.tessarn.notch.preview"; the icon shows until the picture arrives and a newer
// file's result replaces an older one's. Left and Right
// step through the list; Space and Escape close it.
class TrayQuickLook final : public QWidget {
    Q_OBJECT

public:
    enum class Content { icon, image, pdf, text };

    // What a file shows as, once read.
    struct Loaded;

    static constexpr qint64 textLimit = 256 * 1024;
    static constexpr double screenShare = 0.8;

    static TrayQuickLook& shared();
    static QString queueLabel() { return QStringLiteral("app.tessarn.notch.preview"); }

    // Tests pass a manual scheduler for the queue.
    explicit TrayQuickLook(Scheduler* queueScheduler = nullptr, QWidget* parent = nullptr);
    ~TrayQuickLook() override;

    // Previews `urls` from `index` (clamped into the list). An empty list changes
    // nothing; a window already shown takes the new list without being raised again.
    void show(const QList<QUrl>& urls, int index);

    const QList<QUrl>& urls() const { return m_urls; }
    int index() const { return m_index; }
    Content content() const { return m_content; }
    const QImage& picture() const { return m_picture; }
    QString text() const;

Q_SIGNALS:
    // What is shown changed (a result arrived, or another file is shown).
    void contentChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void display(int index);
    void apply(quint64 generation, const Loaded& loaded);
    void fit(const QSize& wanted);
    QRect screenArea() const;

    std::unique_ptr<SerialQueue> m_queue;
    PipelineWorker* m_worker;
    quint64 m_rendering = 0;
    QList<QUrl> m_urls;
    int m_index = 0;
    quint64 m_generation = 0;
    Content m_content = Content::icon;
    QImage m_picture;
    QImage m_icon;
    QPlainTextEdit* m_text;
};

} // namespace vesk
