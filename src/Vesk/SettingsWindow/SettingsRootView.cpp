#include "Vesk/SettingsWindow/SettingsRootView.h"

#include "Vesk/Controls/ScrollBarStyle.h"
#include "Vesk/Notch/NotchNotifications.h"
#include "Vesk/SettingsWindow/ScrollEdgeVeil.h"
#include "Vesk/SettingsWindow/SettingsHeader.h"
#include "Vesk/SettingsWindow/SettingsSidebar.h"
#include "VeskKit/Foundation/NotificationCenter.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace vesk {

namespace {

constexpr int padding = 28;
constexpr int topContentMargin = 24;

} // namespace

SettingsRootView::SettingsRootView(SettingsStore& settings, SettingsWindowEnvironment environment,
                                   SettingsPane selection, SettingsPaneFactory factory, QWidget* parent)
    : QWidget(parent), m_settings(settings), m_environment(std::move(environment)),
      m_factory(std::move(factory)), m_selection(selection), m_sidebar(new SettingsSidebar(selection, this)),
      m_detail(new QWidget(this)), m_scroll(new QScrollArea(m_detail)), m_content(new QWidget),
      m_column(new QVBoxLayout), m_header(new SettingsHeader(selection)),
      m_veil(new ScrollEdgeVeil(m_detail)) {
    setMinimumSize(minimumWidth, minimumHeight);
    setAutoFillBackground(true);
    QPalette ground = palette();
    ground.setColor(QPalette::Window, Vesk::Ink::x950);
    setPalette(ground);

    auto* split = new QHBoxLayout(this);
    split->setContentsMargins(0, 0, 0, 0);
    split->setSpacing(0);
    split->addWidget(m_sidebar);
    split->addWidget(m_detail, 1);

    auto* detailLayout = new QVBoxLayout(m_detail);
    detailLayout->setContentsMargins(0, 0, 0, 0);
    detailLayout->addWidget(m_scroll);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scroll->setStyleSheet(darkScrollBarStyle(QStringLiteral("QScrollArea")));
    m_scroll->viewport()->setAutoFillBackground(false);
    m_content->setAutoFillBackground(false);

    // The column keeps to the leading edge, at most detailMaxWidth wide, padding included.
    auto* row = new QHBoxLayout(m_content);
    row->setContentsMargins(0, 0, 0, 0);
    auto* column = new QWidget(m_content);
    column->setMaximumWidth(detailMaxWidth);
    column->setLayout(m_column);
    m_column->setContentsMargins(padding, padding + topContentMargin, padding, padding);
    m_column->setSpacing(18);
    m_column->addWidget(m_header);
    m_column->addStretch(1);
    row->addWidget(column, 1);
    row->addStretch(0);
    m_scroll->setWidget(m_content);
    // The scroll area makes its widget opaque; the window's colour shows through instead.
    m_content->setAutoFillBackground(false);
    m_veil->raise();
    m_detail->installEventFilter(this);

    connect(m_sidebar, &SettingsSidebar::paneChosen, this, &SettingsRootView::setSelection);
    connect(&m_settings, &SettingsStore::revisionChanged, this, &SettingsRootView::refreshPaneInputs);

    // From construction: the desk posts "open settings" and then the pane's notification
    // in one go, and the first one builds this view.
    NotificationCenter& center = NotificationCenter::defaultCenter();
    center.observe(notchNotifications::veskOpenShortcuts, this,
                   [this](const Notification&) { setSelection(SettingsPane::shortcuts); });
    center.observe(notchNotifications::veskOpenQuickApps, this,
                   [this](const Notification&) { setSelection(SettingsPane::quickApps); });

    showPane();
}

SettingsRootView::~SettingsRootView() = default;

void SettingsRootView::setSelection(SettingsPane pane) {
    if (pane == m_selection) return;
    m_selection = pane;
    m_sidebar->setSelection(pane);
    m_header->setPane(pane);
    showPane();
    m_scroll->verticalScrollBar()->setValue(0);
}

void SettingsRootView::refreshPaneInputs() {
    if (m_factory.inputs(m_selection, m_environment) != m_inputs) showPane();
}

void SettingsRootView::showPane() {
    if (m_pane) {
        // Later: the pane may be running the very handler that got here.
        m_column->removeWidget(m_pane);
        m_pane->hide();
        m_pane->deleteLater();
    }
    m_inputs = m_factory.inputs(m_selection, m_environment);
    m_pane = m_factory.build(m_selection, m_settings, m_environment, m_inputs);
    if (m_pane) m_column->insertWidget(1, m_pane);
}

bool SettingsRootView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_detail && event->type() == QEvent::Resize)
        m_veil->setGeometry(0, 0, m_detail->width(), ScrollEdgeVeil::bandHeight);
    return QWidget::eventFilter(watched, event);
}

} // namespace vesk
