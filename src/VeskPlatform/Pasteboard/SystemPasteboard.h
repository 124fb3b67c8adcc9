#pragma once

#include "VeskPlatform/Pasteboard/Pasteboard.h"

#include <QClipboard>
#include <QObject>

namespace vesk {

// The desktop's clipboard (or its primary selection) through QClipboard. The change
// count is ours: QClipboard only signals changes, so every signal for this mode adds
// one. Construct on the main thread after the application object.
class SystemPasteboard final : public QObject, public Pasteboard {
    Q_OBJECT
public:
    explicit SystemPasteboard(QClipboard::Mode mode = QClipboard::Clipboard, QObject* parent = nullptr);

    qint64 changeCount() const override { return m_changeCount; }
    const QMimeData* contents() const override;
    qint64 setContents(QMimeData* data) override;

Q_SIGNALS:
    void changed();

private:
    QClipboard::Mode m_mode;
    qint64 m_changeCount = 0;
};

} // namespace vesk
