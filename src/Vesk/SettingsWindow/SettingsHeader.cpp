#include "Vesk/SettingsWindow/SettingsHeader.h"

#include "Vesk/Controls/TextView.h"
#include "Vesk/SettingsWindow/PaneIconTile.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace vesk {

namespace {

constexpr PaneIconTile headerTile{SettingsPane::general, 54, 25, 14};

} // namespace

SettingsHeader::SettingsHeader(SettingsPane pane, QWidget* parent)
    : QWidget(parent), m_pane(pane), m_tileSpace(new QWidget(this)),
      m_title(new TextView(QString(), systemFont(25, QFont::DemiBold), Vesk::Stone::x100)),
      m_blurb(new TextView(QString(), systemFont(12.5), Vesk::Stone::x300)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 4);
    row->setSpacing(14);
    m_tileSpace->setFixedSize(int(headerTile.size), int(headerTile.size));
    row->addWidget(m_tileSpace, 0, Qt::AlignVCenter);
    auto* text = new QVBoxLayout;
    text->setSpacing(3);
    m_title->setTracking(-0.4);
    m_blurb->setWrapping(true);
    text->addWidget(m_title);
    text->addWidget(m_blurb);
    row->addLayout(text, 1);
    setPane(pane);
}

void SettingsHeader::setPane(SettingsPane pane) {
    m_pane = pane;
    m_title->setText(look(pane).title);
    m_blurb->setText(look(pane).blurb);
    update();
}

QRectF SettingsHeader::tileRect() const {
    return QRectF(m_tileSpace->geometry());
}

void SettingsHeader::paintEvent(QPaintEvent*) {
    // Drawn by the header so the tile's shadow may reach past its square.
    QPainter painter(this);
    PaneIconTile tile = headerTile;
    tile.pane = m_pane;
    tile.paint(painter, tileRect().topLeft());
}

} // namespace vesk
