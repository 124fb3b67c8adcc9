#include "Vesk/Desk/Widgets/AudioDeviceWidget.h"

#include "Vesk/Desk/Widgets/DeskScrollList.h"
#include "Vesk/Desk/Widgets/HoverButton.h"
#include "Vesk/Desk/Widgets/WidgetEmptyState.h"
#include "Vesk/Desk/Widgets/WidgetFrame.h"
#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace vesk {

namespace {

class DeviceRow final : public HoverButton {
public:
    DeviceRow(const AudioOutputDevice& device, QWidget* parent) : HoverButton(parent), m_device(device) {
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::PointingHandCursor);
        setToolTip(device.isDefault ? device.name + QStringLiteral(" — current output")
                                    : QStringLiteral("Switch to ") + device.name);
        setAccessibleName(device.name);
        setAttribute(Qt::WA_Hover);
    }

    QSize sizeHint() const override {
        return QSize(100, int(std::ceil(QFontMetricsF(nameFont()).height())) + 10);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF area = rect();
        if (isHovering() && !m_device.isDefault) {
            QPainterPath fill;
            fill.addRoundedRect(area, 6, 6);
            p.fillPath(fill, Vesk::Ink::x850);
        }
        const QRectF content = area.adjusted(7, 5, -7, -5);
        const double symbolSide = Symbols::sideForFontSize(11);
        const QColor symbolColour = m_device.isDefault ? Vesk::Accent::x500 : Vesk::Stone::x400;
        Symbols::paint(p,
                       QRectF(content.left() + (15 - symbolSide) / 2, content.center().y() - symbolSide / 2,
                              symbolSide, symbolSide),
                       m_device.symbol(), symbolColour);
        double right = content.right();
        if (m_device.isDefault) {
            const double check = Symbols::sideForFontSize(9);
            Symbols::paint(p, QRectF(right - check, content.center().y() - check / 2, check, check),
                           QStringLiteral("checkmark"), Vesk::Accent::x500);
            right -= check + 4;
        }
        const QFont font = nameFont();
        p.setFont(font);
        p.setPen(m_device.isDefault ? Vesk::Stone::x100 : Vesk::Stone::x200);
        const QRectF text(content.left() + 15 + 8, content.top(), right - content.left() - 23,
                          content.height());
        p.drawText(text, Qt::AlignVCenter | Qt::AlignLeft,
                   QFontMetricsF(font).elidedText(m_device.name, Qt::ElideRight, text.width()));
    }

private:
    QFont nameFont() const { return systemFont(11, m_device.isDefault ? QFont::Medium : QFont::Normal); }

    AudioOutputDevice m_device;
};

} // namespace

AudioDeviceWidget::AudioDeviceWidget(const DeskEnvironment& environment,
                                     std::function<void(const AudioOutputDevice&)> onSelect, QWidget* parent)
    : DeskWidget(environment, parent), m_onSelect(std::move(onSelect)) {
    setDevices({});
}

QList<QAbstractButton*> AudioDeviceWidget::rows() const {
    return m_rows;
}

void AudioDeviceWidget::setDevices(const QList<AudioOutputDevice>& devices) {
    if (m_frame && devices == m_devices) return;
    m_devices = devices;
    m_rows.clear();
    delete m_frame;
    QWidget* content = nullptr;
    if (devices.isEmpty()) {
        content = new WidgetEmptyState(QStringLiteral("speaker.slash"), QStringLiteral("No outputs found"),
                                       QStringLiteral("Nothing to switch to."));
    } else {
        content = DeskScrollList::ofRows(2, [this, &devices](QWidget* column, QVBoxLayout* rows) {
            for (const AudioOutputDevice& device : devices) {
                auto* row = new DeviceRow(device, column);
                connect(row, &QAbstractButton::clicked, this, [this, device] {
                    if (m_onSelect) m_onSelect(device);
                });
                rows->addWidget(row);
                m_rows.append(row);
            }
        });
    }
    m_frame = WidgetFrame::filling(this, QStringLiteral("Sound Output"), nullptr, Qt::AlignTop, content);
}

} // namespace vesk
