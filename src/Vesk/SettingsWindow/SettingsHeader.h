#pragma once

#include "Vesk/SettingsWindow/SettingsPane.h"

#include <QWidget>

namespace vesk {

class TextView;

// The top of the detail area: the selected pane's large tile, its title and its blurb.
class SettingsHeader final : public QWidget {
    Q_OBJECT
public:
    explicit SettingsHeader(SettingsPane pane, QWidget* parent = nullptr);

    void setPane(SettingsPane pane);
    SettingsPane pane() const { return m_pane; }
    TextView* title() const { return m_title; }
    TextView* blurb() const { return m_blurb; }
    // Where the tile is drawn, in the header's coordinates.
    QRectF tileRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SettingsPane m_pane;
    QWidget* m_tileSpace;
    TextView* m_title;
    TextView* m_blurb;
};

} // namespace vesk
