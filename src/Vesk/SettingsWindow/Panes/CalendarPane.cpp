#include "Vesk/SettingsWindow/Panes/CalendarPane.h"

#include "Vesk/Controls/PaneColumn.h"
#include "Vesk/Controls/PlainTextButton.h"
#include "Vesk/Controls/SettingsCard.h"
#include "Vesk/Controls/SettingsRow.h"
#include "Vesk/Controls/SmallAccentButton.h"
#include "Vesk/Controls/SwitchToggle.h"
#include "Vesk/Controls/TextView.h"
#include "Vesk/Controls/ValueSlider.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskServices/Calendar/CalendarService.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QHBoxLayout>
#include <QLocale>
#include <QPainter>
#include <QPointer>
#include <QVBoxLayout>

#include <memory>

namespace vesk {

namespace calendarVisibility {

QString noneMarker() {
    return QString(QChar(0)) + QStringLiteral("none");
}

bool isVisible(const CalendarIdentifiers& stored, const QString& id) {
    return stored.isEmpty() || stored.contains(id);
}

CalendarIdentifiers setVisible(const CalendarIdentifiers& stored, const QStringList& all, const QString& id,
                               bool on) {
    CalendarIdentifiers working = stored;
    if (working.isEmpty())
        working = CalendarIdentifiers(all.begin(), all.end());
    else
        working.remove(noneMarker());
    if (on)
        working.insert(id);
    else
        working.remove(id);
    if (working.isEmpty()) working.insert(noneMarker());
    return working;
}

} // namespace calendarVisibility

QString refreshedTime(const QLocale& locale, QTime time) {
    return timeWithSeconds(locale, time);
}

namespace {

QString accessMessage(CalendarAccess access) {
    switch (access) {
    case CalendarAccess::notDetermined:
        return QStringLiteral("VeskNotch needs access to your calendars to show events.");
    case CalendarAccess::writeOnly:
        return QStringLiteral(
            "VeskNotch can only add events. Grant full access in your desktop's settings to see "
            "them.");
    case CalendarAccess::denied:
        return QStringLiteral("Calendar access is turned off for VeskNotch.");
    case CalendarAccess::restricted:
        return QStringLiteral("Calendar access is restricted on this computer.");
    case CalendarAccess::granted:
        break;
    }
    return {};
}

// A calendar's colour dot.
class ColourDot final : public QWidget {
public:
    ColourDot(QColor colour, QWidget* parent) : QWidget(parent), m_colour(colour) { setFixedSize(9, 9); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_colour);
        painter.drawEllipse(QRectF(rect()));
    }

private:
    QColor m_colour;
};

class CalendarRow final : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override { paintRowRule(this); }
};

SwitchToggle* settingSwitch(SettingsStore& settings, const char* key) {
    return new SwitchToggle(settings, SettingBinding::forKey(settings, QLatin1String(key)));
}

ValueSlider* slider(SettingsStore& settings, const char* label, const char* key, double lowest,
                    double highest, const char* suffix) {
    return new ValueSlider(QString::fromUtf8(label), settings,
                           SettingBinding::forKey(settings, QLatin1String(key)), lowest, highest,
                           QString::fromUtf8(suffix));
}

} // namespace

QWidget* makeCalendarPane(SettingsStore& settings, CalendarService* service,
                          std::function<void()> onFilterChanged, std::function<void()> onRefresh,
                          std::function<void()> onOpenSettings) {
    const QPointer<CalendarService> calendars(service);
    const auto filterChanged = [onFilterChanged] {
        if (onFilterChanged) onFilterChanged();
    };
    auto* pane = new PaneColumn;

    // Access, while not granted.
    auto* access = new SettingsCard;
    access->setObjectName(QStringLiteral("access"));
    auto* accessBox = new QWidget;
    auto* accessColumn = new QVBoxLayout(accessBox);
    accessColumn->setContentsMargins(14, 14, 14, 14);
    accessColumn->setSpacing(8);
    auto* message = new TextView(QString(), Vesk::Type_::settingsRow(), Vesk::Stone::x100);
    message->setWrapping(true);
    accessColumn->addWidget(message);
    auto* button = new SmallAccentButton(QString());
    button->setObjectName(QStringLiteral("accessButton"));
    accessColumn->addWidget(button, 0, Qt::AlignLeft);
    access->addRow(accessBox);
    pane->add(access);
    const auto showAccess = [access, message, button, calendars] {
        const CalendarAccess state = calendars ? calendars->access() : CalendarAccess::notDetermined;
        access->setVisible(state != CalendarAccess::granted);
        message->setText(accessMessage(state));
        button->setText(state == CalendarAccess::notDetermined ? QStringLiteral("Allow Access")
                                                               : QStringLiteral("Open Desktop Settings"));
        button->updateGeometry();
    };
    showAccess();
    QObject::connect(button, &QAbstractButton::clicked, button, [calendars, onOpenSettings] {
        const CalendarAccess state = calendars ? calendars->access() : CalendarAccess::notDetermined;
        if (state == CalendarAccess::notDetermined) {
            if (calendars) calendars->start();
        } else if (onOpenSettings) {
            onOpenSettings();
        }
    });
    if (service) QObject::connect(service, &CalendarService::accessChanged, access, showAccess);

    // The calendars.
    pane->addSection(QStringLiteral("Calendars"));
    auto* list = new SettingsCard;
    auto* header = new QWidget;
    auto* headerRow = new QHBoxLayout(header);
    headerRow->setContentsMargins(14, 10, 14, 10);
    headerRow->setSpacing(10);
    const auto textButton = [header](const char* text, const char* name) {
        auto* b = new PlainTextButton(QString::fromUtf8(text), Vesk::Type_::settingsFootnote(),
                                      Vesk::Accent::x500, header);
        b->setObjectName(QString::fromUtf8(name));
        return b;
    };
    auto* selectAll = textButton("Select All", "selectAll");
    auto* clear = textButton("Clear", "clear");
    auto* refresh = textButton("Refresh now", "refresh");
    headerRow->addWidget(selectAll);
    headerRow->addWidget(clear);
    headerRow->addStretch(1);
    headerRow->addWidget(refresh);
    list->addRow(header);
    QObject::connect(selectAll, &QAbstractButton::clicked, selectAll, [&settings, filterChanged] {
        settings.setVisibleCalendars({});
        filterChanged();
    });
    QObject::connect(clear, &QAbstractButton::clicked, clear, [&settings, filterChanged] {
        settings.setVisibleCalendars({calendarVisibility::noneMarker()});
        filterChanged();
    });
    QObject::connect(refresh, &QAbstractButton::clicked, refresh, [onRefresh] {
        if (onRefresh) onRefresh();
    });
    auto* rows = new QWidget;
    auto* rowsColumn = new QVBoxLayout(rows);
    rowsColumn->setContentsMargins(0, 0, 0, 0);
    rowsColumn->setSpacing(0);
    list->addRow(rows);
    const auto buildRows = [rows, rowsColumn, calendars, &settings, filterChanged] {
        while (QLayoutItem* item = rowsColumn->takeAt(0)) {
            if (QWidget* old = item->widget()) old->deleteLater();
            delete item;
        }
        if (!calendars) return;
        QStringList all;
        for (const CalendarSource& source : calendars->calendars())
            all << source.id;
        for (const CalendarSource& source : calendars->calendars()) {
            auto* row = new CalendarRow(rows);
            auto* line = new QHBoxLayout(row);
            line->setContentsMargins(14, 7, 14, 7);
            line->setSpacing(9);
            line->addWidget(new ColourDot(
                QColor::fromRgbF(float(source.red), float(source.green), float(source.blue)), row));
            line->addWidget(new TextView(source.title, Vesk::Type_::settingsRow(), Vesk::Stone::x100));
            line->addStretch(1);
            line->addSpacing(8);
            auto* toggle = new SwitchToggle(row);
            toggle->setObjectName(QStringLiteral("calendar.") + source.id);
            line->addWidget(toggle);
            const QString id = source.id;
            followSettings(toggle, settings, [toggle, &settings, id] {
                toggle->setChecked(calendarVisibility::isVisible(settings.visibleCalendars(), id));
            });
            QObject::connect(
                toggle, &QAbstractButton::clicked, toggle, [&settings, all, id, filterChanged](bool on) {
                    settings.setVisibleCalendars(
                        calendarVisibility::setVisible(settings.visibleCalendars(), all, id, on));
                    filterChanged();
                });
            rowsColumn->addWidget(row);
        }
    };
    buildRows();
    if (service) QObject::connect(service, &CalendarService::calendarsChanged, rows, buildRows);
    pane->add(list);

    // The events the service loads: each distinct value calls the filter once.
    pane->addSection(QStringLiteral("Events"));
    auto* events = new SettingsCard;
    events->addRow(new SettingsRow(QStringLiteral("Show today's past events"),
                                   settingSwitch(settings, "showPastEventsToday")));
    events->addRow(
        new SettingsRow(QStringLiteral("Show all-day events"), settingSwitch(settings, "showAllDayEvents")));
    events->addRow(new SettingsRow(QStringLiteral("Show multi-day events"),
                                   settingSwitch(settings, "showMultiDayEvents")));
    events->addRow(slider(settings, "Days behind", "calendarDaysBehind", 0, 30, " days"));
    events->addRow(slider(settings, "Days ahead", "calendarDaysAhead", 1, 30, " days"));
    pane->add(events);
    const auto filterValues = [&settings] {
        return QVariantList{settings.showPastEventsToday(), settings.showAllDayEvents(),
                            settings.showMultiDayEvents(), settings.calendarDaysBehind(),
                            settings.calendarDaysAhead()};
    };
    auto last = std::make_shared<QVariantList>(filterValues());
    QObject::connect(&settings, &SettingsStore::revisionChanged, events, [last, filterValues, filterChanged] {
        const QVariantList now = filterValues();
        for (int i = 0; i < now.size(); ++i)
            if (now.at(i) != last->at(i)) filterChanged();
        *last = now;
    });

    pane->addSection(QStringLiteral("Activity"));
    auto* activity = new SettingsCard;
    activity->addRow(slider(settings, "Notify before", "calendarLeadMinutes", 0, 60, " min"));
    activity->addRow(new SettingsRow(QStringLiteral("Dismiss when the event ends"),
                                     settingSwitch(settings, "dismissAtEventEnd")));
    activity->addRow(
        new SettingsRow(QStringLiteral("Detect meeting links"), settingSwitch(settings, "detectMeetingLinks"),
                        QStringLiteral("Clicking an event opens the Zoom, Meet or Teams link instead of "
                                       "Calendar.")));
    pane->add(activity);

    auto* refreshed = pane->addFootnote(QString());
    refreshed->setObjectName(QStringLiteral("lastRefreshed"));
    const auto showRefreshed = [refreshed, calendars] {
        const auto when = calendars ? calendars->lastRefresh() : std::nullopt;
        refreshed->setVisible(when.has_value());
        if (!when) return;
        refreshed->setText(QStringLiteral("Last refreshed ") +
                           refreshedTime(QLocale(), when->toDateTime().toLocalTime().time()));
    };
    showRefreshed();
    if (service) QObject::connect(service, &CalendarService::lastRefreshChanged, refreshed, showRefreshed);
    return pane;
}

} // namespace vesk
