#include "Vesk/Controls/PaneColumn.h"

#include "Vesk/Controls/TextView.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QVBoxLayout>

namespace vesk {

PaneColumn::PaneColumn(QWidget* parent, int spacing) : QWidget(parent), m_column(new QVBoxLayout(this)) {
    m_column->setContentsMargins(0, 0, 0, 0);
    m_column->setSpacing(spacing);
}

QWidget* PaneColumn::add(QWidget* widget) {
    m_column->addWidget(widget);
    return widget;
}

TextView* PaneColumn::addSection(const QString& title) {
    auto* view = new TextView(title, Vesk::Type_::settingsSection(), Vesk::Stone::x400);
    m_column->addWidget(view, 0, Qt::AlignLeft);
    return view;
}

TextView* PaneColumn::addFootnote(const QString& text) {
    auto* view = new TextView(text, Vesk::Type_::settingsFootnote(), Vesk::Stone::x400);
    view->setWrapping(true, footnoteWidth);
    m_column->addWidget(view, 0, Qt::AlignLeft);
    return view;
}

} // namespace vesk
