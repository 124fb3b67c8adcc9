#include "Vesk/SettingsWindow/Panes/SyncCard.h"

#include "Vesk/Controls/PlainTextButton.h"
#include "Vesk/Controls/SelectableText.h"
#include "Vesk/Controls/SettingsCard.h"
#include "Vesk/Controls/SettingsRow.h"
#include "Vesk/Controls/SwitchToggle.h"
#include "Vesk/Controls/TextView.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace vesk {

namespace {

constexpr int containerErrorLines = 4;

class Dot final : public QWidget {
public:
    explicit Dot(const QColor* color, QWidget* parent) : QWidget(parent), m_color(color) {
        setFixedSize(7, 7);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(*m_color);
        painter.drawEllipse(QRectF(rect()));
    }

private:
    const QColor* m_color;
};

} // namespace

SyncCardContent syncCardContent(const SyncStatus& status, bool isLocalOnly,
                                const SyncCoordinator::PushRegistration& push,
                                const std::optional<QString>& containerError, bool syncEnabled, Date now,
                                const std::optional<QString>& storeNotice) {
    using Push = SyncCoordinator::PushRegistration::Kind;
    SyncCardContent content;
    content.dot = status.isActive() ? Vesk::Semantic::sage : Vesk::Semantic::amber;
    // Where there is no cloud at all, its reason is the status, said once.
    const QString summary = status.summary(containerError, now);
    content.lines.append({summary, Vesk::Stone::x100});
    if (isLocalOnly && syncEnabled)
        content.lines.append(
            {QStringLiteral("Changes are being saved on this computer only."), Vesk::Stone::x400});
    if (syncEnabled && !isLocalOnly) {
        if (push.kind == Push::pending)
            content.lines.append(
                {QStringLiteral("Waiting for push registration — until it completes, changes from "
                                "another computer arrive only when VeskNotch restarts."),
                 Vesk::Stone::x400});
        if (push.kind == Push::failed) {
            content.lines.append(
                {QStringLiteral("Push is unavailable, so changes from another computer only arrive "
                                "when VeskNotch restarts."),
                 Vesk::Semantic::amber});
            content.lines.append({push.error, Vesk::Stone::x400, true});
        }
    }
    if (containerError && *containerError != summary)
        content.lines.append({*containerError, Vesk::Stone::x400, true, containerErrorLines});
    // The store itself, whatever the cloud does: busy, or damaged and kept aside.
    if (storeNotice) content.lines.append({*storeNotice, Vesk::Semantic::amber, true});
    return content;
}

SyncCard::SyncCard(SettingsStore& settings, SyncCoordinator* sync, QWidget* parent)
    : QWidget(parent), m_settings(settings), m_sync(sync) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* card = new SettingsCard;
    outer->addWidget(card);
    card->addRow(new SettingsRow(
        QStringLiteral("Sync with the cloud"),
        new SwitchToggle(settings, SettingBinding::forKey(settings, QStringLiteral("syncEnabled"))),
        QStringLiteral("To-dos, notes, timers and shortcuts stay on this computer.")));
    if (!sync) return;

    auto* status = new QWidget;
    auto* row = new QHBoxLayout(status);
    row->setContentsMargins(14, 11, 14, 11);
    row->setSpacing(8);
    m_dot = new Dot(&m_content.dot, status);
    row->addWidget(m_dot, 0, Qt::AlignTop);
    m_lines = new QWidget(status);
    auto* column = new QVBoxLayout(m_lines);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(3);
    row->addWidget(m_lines, 1);
    row->addSpacing(8);
    auto* check = new PlainTextButton(QStringLiteral("Check now"), Vesk::Type_::settingsFootnote(),
                                      Vesk::Accent::x500, status);
    check->setObjectName(QStringLiteral("checkNow"));
    connect(check, &QAbstractButton::clicked, this, [this] {
        if (m_sync) m_sync->refreshAccountStatus();
    });
    row->addWidget(check, 0, Qt::AlignTop);
    card->addRow(status);

    for (const auto signal : {&SyncCoordinator::statusChanged, &SyncCoordinator::isLocalOnlyChanged,
                              &SyncCoordinator::containerErrorChanged, &SyncCoordinator::pushChanged,
                              &SyncCoordinator::storeChanged, &SyncCoordinator::containerChanged})
        connect(sync, signal, this, &SyncCard::refresh);
    connect(&settings, &SettingsStore::revisionChanged, this, &SyncCard::refresh);
    refresh();
}

void SyncCard::refresh() {
    if (!m_sync || !m_lines) return;
    const SyncCardContent content =
        syncCardContent(m_sync->status(), m_sync->isLocalOnly(), m_sync->push(), m_sync->containerError(),
                        m_settings.syncEnabled(), Date::now(), m_sync->storeNotice());
    if (content.dot == m_content.dot && content.lines == m_content.lines) return;
    m_content = content;
    m_dot->update();
    auto* column = static_cast<QVBoxLayout*>(m_lines->layout());
    while (QLayoutItem* item = column->takeAt(0)) {
        if (QWidget* old = item->widget()) old->deleteLater();
        delete item;
    }
    for (int i = 0; i < m_content.lines.size(); ++i) {
        const SyncCardContent::Line& line = m_content.lines.at(i);
        const QFont font = i == 0 ? Vesk::Type_::settingsRow() : Vesk::Type_::settingsFootnote();
        if (line.selectable) {
            auto* text = new SelectableText(line.text, font, line.color);
            text->setWrapping(line.maxLines);
            if (line.maxLines > 0) text->setObjectName(QStringLiteral("containerError"));
            column->addWidget(text);
            continue;
        }
        auto* view = new TextView(line.text, font, line.color);
        if (i > 0) view->setWrapping(true);
        column->addWidget(view);
    }
}

} // namespace vesk
