#pragma once

#include "Vesk/Tray/TrayViewEnvironment.h"
#include "VeskServices/Tray/TrayItem.h"
#include "VeskUI/Motion/MotionAnimator.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <functional>

class QAbstractButton;

namespace vesk {

class TrayDragHandle;
class TrayStore;

// One tray item as a tile: its thumbnail (the type's placeholder until it arrives),
// name and size below, a remove button and an accent outline while hovered, and a badge
// for items pasted from another device. A click previews the file, a drag takes it out
// (TrayDragHandle), the context menu previews, shows in the folder, copies or removes.
class TrayChip final : public QWidget {
    Q_OBJECT

public:
    static constexpr double width_ = 86;
    static constexpr double tileSide = 68;
    static constexpr double tileTop = 4;
    static constexpr double tileRadius = 8;
    static constexpr double captionSpacing = 5;
    static constexpr double thumbnailSize = 56;

    TrayChip(const TrayItem& item, TrayStore* store, bool copyByDefault,
             std::function<void(const TrayItem&)> onRemove, const TrayViewEnvironment& environment,
             QWidget* parent = nullptr);

    const TrayItem& item() const { return m_item; }
    void setItem(const TrayItem& item);
    void setCopyByDefault(bool copyByDefault);

    bool isHovering() const { return m_hovering; }
    // Hover as the pointer sets it; tests and the snapshot tool set it directly.
    void setHovering(bool hovering);
    bool hasThumbnail() const { return !m_thumbnail.isNull(); }

    QRectF tileRect() const;
    QRectF badgeRect() const;
    QAbstractButton* removeButton() const { return m_remove; }
    TrayDragHandle* dragHandle() const { return m_handle; }
    QString helpText() const;
    // Opens the preview on this item.
    void preview();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool event(QEvent* event) override;

private:
    void requestThumbnail();

    TrayItem m_item;
    QPointer<TrayStore> m_store;
    bool m_copyByDefault;
    std::function<void(const TrayItem&)> m_onRemove;
    const TrayViewEnvironment& m_environment;
    QImage m_thumbnail;
    bool m_hovering = false;
    MotionAnimator m_hover;
    TrayDragHandle* m_handle;
    QAbstractButton* m_remove;
};

} // namespace vesk
