#pragma once

#include <QImage>
#include <QList>
#include <QStringList>
#include <QWidget>

#include <memory>

class QAbstractButton;
class QHBoxLayout;

namespace vesk {

class DesktopApplications;
struct DeskEnvironment;

// Shown by the media widget when nothing is playing: two lines of text and up to three
// installed media players as icon tiles; a tile starts its player. The players are
// looked up each time the prompt comes on screen, off the main thread.
class MediaLaunchPrompt : public QWidget {
    Q_OBJECT

public:
    // Six slots in order; each is a list of desktop-file ids, and the first one
    // installed fills the slot.
    static const QList<QStringList>& candidates();
    static constexpr int maxTiles = 3;
    static constexpr double tileSide = 34;

    // Players come from the environment's desktop applications; `environment` must outlive the prompt.
    explicit MediaLaunchPrompt(const DeskEnvironment& environment, QWidget* parent = nullptr);

    // Starts a lookup (on coming on screen); a result arriving after cancel() is dropped.
    void lookUp();
    void cancel();

    // The desktop-file ids of the tiles shown, in order.
    QStringList tileIDs() const;
    QList<QAbstractButton*> tiles() const;

    QSize sizeHint() const override;

Q_SIGNALS:
    void tilesChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Found {
        QString id;
        QString path;
        QImage icon;
    };
    void showFound(const QList<Found>& found);
    void launch(const QString& id) const;
    void place();

    const DeskEnvironment& m_environment;
    std::shared_ptr<DesktopApplications> m_applications;
    QList<QAbstractButton*> m_tiles;
    quint64 m_generation = 0;
};

} // namespace vesk
