#include "Vesk/Tray/TrayQuickLook.h"

#include "VeskKit/Foundation/Scheduler.h"
#include "VeskKit/Foundation/SerialQueue.h"
#include "VeskPlatform/Files/TypeIcons.h"
#include "VeskPlatform/Files/UniformTypes.h"
#include "VeskServices/Pipelines/PipelineWorker.h"
#include "VeskServices/Tray/ByteCount.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QCursor>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeDatabase>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>

#include <algorithm>

namespace vesk {

struct TrayQuickLook::Loaded {
    Content kind = Content::icon;
    QImage picture;
    QString text;
};

namespace {

constexpr QSize iconWindow(360, 240);
constexpr QSize textWindow(640, 480);

// The start of a text file, read on the preview queue.
TrayQuickLook::Loaded loadText(const QString& path) {
    TrayQuickLook::Loaded loaded;
    if (!QMimeDatabase().mimeTypeForFile(path).inherits(QStringLiteral("text/plain"))) return loaded;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        loaded.kind = TrayQuickLook::Content::text;
        // Invalid bytes become replacement characters.
        loaded.text = QString::fromUtf8(file.read(TrayQuickLook::textLimit));
    }
    return loaded;
}

} // namespace

TrayQuickLook& TrayQuickLook::shared() {
    static QPointer<TrayQuickLook> window;
    if (!window) window = new TrayQuickLook;
    return *window;
}

TrayQuickLook::TrayQuickLook(Scheduler* queueScheduler, QWidget* parent)
    : QWidget(parent, Qt::Tool), m_queue(std::make_unique<SerialQueue>(queueLabel(), queueScheduler)),
      m_worker(new PipelineWorker(this)), m_text(new QPlainTextEdit(this)) {
    setAttribute(Qt::WA_QuitOnClose, false);
    m_text->setReadOnly(true);
    m_text->setFont(systemFont(12, QFont::Normal, FontDesign::monospaced));
    m_text->setFocusPolicy(Qt::NoFocus);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->hide();
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Vesk::Ink::x900);
    setPalette(palette);
    setAutoFillBackground(true);
}

TrayQuickLook::~TrayQuickLook() {
    // Its work only reads previews, whose results find no window now: nobody waits.
    SerialQueue::retire(std::move(m_queue));
}

QString TrayQuickLook::text() const {
    return m_content == Content::text ? m_text->toPlainText() : QString();
}

void TrayQuickLook::show(const QList<QUrl>& urls, int index) {
    if (urls.isEmpty()) return;
    m_urls = urls;
    const bool wasVisible = isVisible();
    display(std::clamp(index, 0, int(urls.size()) - 1));
    if (!wasVisible) {
        QWidget::show();
        raise();
        activateWindow();
    }
}

QRect TrayQuickLook::screenArea() const {
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen) screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
}

void TrayQuickLook::fit(const QSize& wanted) {
    const QRect area = screenArea();
    const QSize bound(int(area.width() * screenShare), int(area.height() * screenShare));
    const QSize size = wanted.boundedTo(bound).expandedTo(QSize(200, 120));
    setGeometry(
        QRect(QPoint(area.center().x() - size.width() / 2, area.center().y() - size.height() / 2), size));
}

void TrayQuickLook::display(int index) {
    m_index = index;
    const QString path = m_urls[index].toLocalFile();
    const QFileInfo info(path);
    setWindowTitle(info.fileName());
    // The type's icon until the picture arrives.
    m_content = Content::icon;
    m_picture = QImage();
    m_icon = uti::iconImage(uti::identifierForFile(path).value_or(QStringLiteral("public.data")), 96);
    m_text->hide();
    fit(iconWindow);
    update();
    Q_EMIT contentChanged();

    const quint64 generation = ++m_generation;
    const QRect area = screenArea();
    const QSize bound(int(area.width() * screenShare), int(area.height() * screenShare));
    // Pictures are decoded by the pipeline worker; what it cannot render may be text.
    m_worker->forget(m_rendering);
    const QPointer<TrayQuickLook> self(this);
    m_rendering = m_worker->preview(path, bound, [self, generation, path](const auto& rendered) {
        if (!self || generation != self->m_generation) return;
        if (rendered) {
            const bool pdf = rendered->kind == pipeline_protocol::Rendered::Kind::pdf;
            self->apply(generation, {pdf ? Content::pdf : Content::image, rendered->picture, {}});
            return;
        }
        self->m_queue->async([self, generation, path] {
            Loaded loaded = loadText(path);
            onMain([self, generation, loaded = std::move(loaded)] {
                if (self) self->apply(generation, loaded);
            });
        });
    });
}

void TrayQuickLook::apply(quint64 generation, const Loaded& loaded) {
    // A newer file is shown: this result is not wanted any more.
    if (generation != m_generation || loaded.kind == Content::icon) return;
    m_content = loaded.kind;
    m_picture = loaded.picture;
    if (loaded.kind == Content::text) {
        m_text->setPlainText(loaded.text);
        m_text->show();
        fit(textWindow);
    } else {
        fit(loaded.picture.size());
    }
    update();
    Q_EMIT contentChanged();
}

void TrayQuickLook::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_text->setGeometry(rect());
}

void TrayQuickLook::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Escape:
        close();
        return;
    case Qt::Key_Left:
        if (m_index > 0) display(m_index - 1);
        return;
    case Qt::Key_Right:
        if (m_index + 1 < m_urls.size()) display(m_index + 1);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void TrayQuickLook::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (m_content == Content::image || m_content == Content::pdf) {
        const QSize size = m_picture.size().scaled(this->size(), Qt::KeepAspectRatio);
        painter.drawImage(QRect(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size),
                          m_picture);
        return;
    }
    if (m_content == Content::text || m_urls.isEmpty()) return;
    // Nothing to preview: the icon, the name and the size.
    const QFileInfo info(m_urls[m_index].toLocalFile());
    const int side = 96;
    const QRect icon((width() - side) / 2, height() / 2 - side + 10, side, side);
    if (!m_icon.isNull()) painter.drawImage(icon, m_icon);
    painter.setPen(Vesk::Stone::x100);
    painter.setFont(systemFont(13, QFont::DemiBold));
    painter.drawText(QRect(10, icon.bottom() + 8, width() - 20, 20), Qt::AlignHCenter | Qt::AlignTop,
                     info.fileName());
    painter.setPen(Vesk::Stone::x400);
    painter.setFont(systemFont(11));
    painter.drawText(QRect(10, icon.bottom() + 30, width() - 20, 18), Qt::AlignHCenter | Qt::AlignTop,
                     info.isDir() ? QString() : formatByteCount(info.size()));
}

} // namespace vesk
