#include "Samples.h"

#include "VeskPlatform/Workspace/DesktopApplications.h"

#include "VeskSync/ModelContainer.h"
#include "VeskSync/ModelContext.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QRadialGradient>
#include <QTemporaryDir>

namespace vesk::snapshot {

namespace {

ActivityPayload payload(ActivityKind kind, ActivityGlyph leading, std::optional<QString> title,
                        std::optional<QString> subtitle, ActivityTrailing trailing) {
    return ActivityPayload{.id = QUuid::createUuid(),
                           .kind = kind,
                           .priority = ActivityPriority::interrupt,
                           .dedupeKey = toRaw(kind),
                           .leading = std::move(leading),
                           .title = std::move(title),
                           .subtitle = std::move(subtitle),
                           .trailing = std::move(trailing),
                           .duration = 2,
                           .interaction = std::nullopt,
                           .createdAt = Date{0}};
}

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

} // namespace

ActivityPayload samplePayload(ActivityKind kind) {
    const ActivityGlyph glyph = ActivityGlyph::symbol(symbol(kind));
    switch (kind) {
    case ActivityKind::sound:
        return payload(kind, glyph, text("Volume"), text("Speakers"), ActivityTrailing::bar(0.62));
    case ActivityKind::display:
        return payload(kind, glyph, text("Brightness"), std::nullopt, ActivityTrailing::bar(0.8));
    case ActivityKind::keyboardBacklight:
        return payload(kind, glyph, text("Keyboard"), std::nullopt, ActivityTrailing::bar(0.35));
    case ActivityKind::nowPlaying:
        return payload(kind, ActivityGlyph::artwork(sampleCover(300)), text("Harbour Lights"),
                       text("The Quiet Hours"), ActivityTrailing::waveform(true));
    case ActivityKind::battery:
        return payload(kind, ActivityGlyph::symbolTinted(QStringLiteral("bolt.fill"), TintName::sage),
                       text("Charging"), std::nullopt, ActivityTrailing::percent(0.57));
    case ActivityKind::connectivity:
        return payload(kind, glyph, text("Buds Pro"), text("Connected"), ActivityTrailing::percent(0.29));
    case ActivityKind::focus:
        return payload(kind, ActivityGlyph::symbolTinted(symbol(kind), TintName::slate),
                       text("Do Not Disturb"), std::nullopt, ActivityTrailing::text(text("On")));
    case ActivityKind::calendar:
        return payload(kind, ActivityGlyph::symbolTinted(symbol(kind), TintName::amber),
                       text("Design review"), text("In 5 minutes · Room 4"),
                       ActivityTrailing::text(text("10:30")));
    case ActivityKind::fileTray:
        return payload(kind, glyph, text("2 files added"), std::nullopt, ActivityTrailing::none());
    case ActivityKind::timerEnded:
        return payload(kind, ActivityGlyph::symbolTinted(symbol(kind), TintName::oxblood), text("Timer done"),
                       text("Tea"), ActivityTrailing::text(text("05:00")));
    case ActivityKind::update:
        return payload(kind, ActivityGlyph::symbolTinted(symbol(kind), TintName::brass), text("Update ready"),
                       text("Version 1.1"), ActivityTrailing::none());
    case ActivityKind::download:
        return payload(kind, ActivityGlyph::progressRing(0.4), text("report.pdf"), std::nullopt,
                       ActivityTrailing::percent(0.4));
    case ActivityKind::screenshot:
        return payload(kind, glyph, text("Screenshot saved"), std::nullopt, ActivityTrailing::none());
    case ActivityKind::weather:
        return payload(kind, glyph, text("Partly cloudy"), text("Lyon"), ActivityTrailing::text(text("18°")));
    case ActivityKind::idleLock:
        return payload(kind, glyph, text("Keeping awake"), std::nullopt,
                       ActivityTrailing::text(text("1:00")));
    }
    return payload(kind, glyph, std::nullopt, std::nullopt, ActivityTrailing::none());
}

ActivityPayload ambientNowPlaying(std::optional<QByteArray> artwork) {
    ActivityPayload p = samplePayload(ActivityKind::nowPlaying);
    p.priority = ActivityPriority::ambient;
    p.leading = ActivityGlyph::artwork(std::move(artwork));
    return p;
}

QByteArray sampleCover(int side) {
    QImage image(side, side * 3 / 4, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QRadialGradient gradient(image.rect().center(), side * 0.7);
    gradient.setColorAt(0, QColor(0xE8, 0x9F, 0x4A));
    gradient.setColorAt(1, QColor(0x4A, 0x1F, 0x3C));
    painter.fillRect(image.rect(), gradient);
    painter.setPen(QPen(QColor(0xFF, 0xF4, 0xE0), side / 20.0));
    painter.drawEllipse(image.rect().center(), side / 5, side / 5);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QList<DropLane> sampleLanes() {
    return {DropLane::shelf(),
            DropLane::airDrop(),
            DropLane::pipeline(PipelineID::compressImage),
            DropLane::pipeline(PipelineID::convertFormat),
            DropLane::pipeline(PipelineID::imagesToPDF),
            DropLane::pipeline(PipelineID::zip)};
}

QList<BannerSample> bannerSamples() {
    PipelineResult two{.pipeline = PipelineID::compressImage,
                       .title = QStringLiteral("Compress Image"),
                       .produced = {QUrl::fromLocalFile(QStringLiteral("/tmp/a-compressed.jpg")),
                                    QUrl::fromLocalFile(QStringLiteral("/tmp/b-compressed.jpg"))},
                       .inputCount = 2};
    PipelineResult none{.pipeline = PipelineID::copyPaths,
                        .title = QStringLiteral("Copy Paths"),
                        .produced = {},
                        .inputCount = 3};
    return {
        {QStringLiteral("running"), PipelineRunState::running(QStringLiteral("Compressing images"), 0.45,
                                                              QStringLiteral("holiday-042.jpg"))},
        {QStringLiteral("running-no-detail"), PipelineRunState::running(QStringLiteral("Zipping"), 0.1, {})},
        {QStringLiteral("finished-undo"), PipelineRunState::finished(two)},
        {QStringLiteral("finished-no-files"), PipelineRunState::finished(none)},
        {QStringLiteral("failed"),
         PipelineRunState::failed(QStringLiteral(
             "Could not convert “scan.tiff”: the file is not an image this converter can read, or it is "
             "damaged. Try exporting it again from the scanner application."))},
        {QStringLiteral("idle"), PipelineRunState::idle()},
    };
}

QList<TrayItem> sampleTrayItems(int count) {
    const auto item = [](const QString& name, const QString& type, qint64 size, bool folder, int children) {
        TrayItem entry;
        entry.id = QUuid::createUuid();
        entry.displayName = name;
        entry.storedPath = QStringLiteral("/tmp/tray/") + name;
        entry.utTypeIdentifier = type;
        entry.byteSize = size;
        entry.isDirectory = folder;
        entry.childCount = children;
        return entry;
    };
    QList<TrayItem> items{
        item(QStringLiteral("holiday-042.jpg"), QStringLiteral("public.jpeg"), 2'400'000, false, 0),
        item(QStringLiteral("Quarterly report.pdf"), QStringLiteral("com.adobe.pdf"), 840'000, false, 0),
        item(QStringLiteral("Invoices"), QStringLiteral("public.folder"), 5'100'000, true, 12)};
    for (int i = int(items.size()); i < count; ++i)
        items.append(item(QStringLiteral("holiday-%1.jpg").arg(43 + i), QStringLiteral("public.jpeg"),
                          1'900'000, false, 0));
    return items.mid(0, count);
}

namespace {

// Events around now in one calendar, as a calendar store would hold them.
class SampleCalendarStore final : public CalendarStore {
public:
    SampleCalendarStore(CalendarAccess access, bool withEvents)
        : m_access(access), m_withEvents(withEvents) {}
    CalendarAccess access(QString*) override { return m_access; }
    void open(std::function<void()> opened) override { opened(); }
    QList<CalendarStoreCalendar> calendars() override {
        return {{QStringLiteral("work"), QStringLiteral("Work"), QStringLiteral("#4a90d9")},
                {QStringLiteral("home"), QStringLiteral("Home"), QStringLiteral("#e0a040")}};
    }
    std::optional<QList<CalendarStoreEvent>> events(const QStringList&, Date, Date) override {
        if (!m_withEvents) return QList<CalendarStoreEvent>{};
        const Date now = Date::now();
        const auto make = [now](const char* uid, const char* calendar, const char* title, double start,
                                double length, std::optional<QString> location = {}, bool meeting = false) {
            CalendarStoreEvent event;
            event.uid = QString::fromLatin1(uid);
            event.calendarId = QString::fromLatin1(calendar);
            event.title = QString::fromUtf8(title);
            event.start = now + start;
            event.end = now + start + length;
            event.location = location;
            if (meeting) event.notes = QStringLiteral("Join: https://meet.jit.si/vesk-review");
            return event;
        };
        return QList<CalendarStoreEvent>{
            make("standup", "work", "Team standup", -600, 1800, QStringLiteral("Room 4")),
            make("review", "work", "Design review", 1200, 2700, std::nullopt, true),
            make("dentist", "home", "Dentist", 86400 + 3600, 1800, QStringLiteral("Hill Street 12")),
        };
    }
    void reset() override {}
    void watch(Date, Date, std::function<void()>) override {}
    void unwatch() override {}
    void cancel() override {}
    void renew() override {}

private:
    CalendarAccess m_access;
    bool m_withEvents;
};

} // namespace

namespace {

// A repository on a store of its own in a folder that lasts as long as the program.
DeskRepository* newRepository() {
    static QTemporaryDir folder;
    static std::vector<std::unique_ptr<DeskRepository>> kept;
    const std::shared_ptr<ModelContainer> container =
        ModelContainer::open(folder.path() + QStringLiteral("/Vesk-%1.store").arg(kept.size()));
    if (!container) return nullptr;
    kept.push_back(std::make_unique<DeskRepository>(std::make_shared<ModelContext>(container),
                                                    QStringLiteral("snapshot")));
    return kept.back().get();
}

} // namespace

DeskRepository* sampleRepository() {
    static DeskRepository* repository = nullptr;
    if (repository) return repository;
    repository = newRepository();
    if (!repository) return nullptr;
    repository->addShortcut(QStringLiteral("Morning Routine"), QStringLiteral("sun.max.fill"));
    repository->addShortcut(QStringLiteral("Start a Focus Session with a Very Long Name"),
                            QStringLiteral("timer"));
    repository->addShortcut(QStringLiteral("Play Focus Music"), QStringLiteral("music.note"));
    return repository;
}

DeskRepository* sampleTodos() {
    DeskRepository* repository = newRepository();
    if (!repository) return nullptr;
    for (const char* title : {"Book the dentist", "Send the quarterly report to the whole team before Friday",
                              "Water the plants", "Renew the passport"})
        repository->addTodo(QString::fromUtf8(title));
    const QList<TodoSnapshot> items = repository->todos();
    for (const TodoSnapshot& item : items) {
        if (item.title == QStringLiteral("Water the plants")) repository->toggleTodo(item.id);
        if (item.title == QStringLiteral("Renew the passport")) repository->favoriteTodo(item.id);
    }
    return repository;
}

DeskRepository* sampleTodosUnsaved() {
    DeskRepository* repository = sampleTodos();
    if (!repository) return nullptr;
    // The store takes no write now, as a read-only disk: the last to-do stays unsaved.
    repository->context().container().connection().exec("PRAGMA query_only = ON");
    repository->addTodo(QStringLiteral("Call the landlord about the heating"));
    return repository;
}

DeskRepository* sampleShortcutRemovedUnsaved() {
    DeskRepository* repository = newRepository();
    if (!repository) return nullptr;
    repository->addShortcut(QStringLiteral("Morning Routine"), QStringLiteral("sun.max.fill"));
    // Another copy of the program holds the store's write lock for the rest of the run.
    static sqlite::Connection other;
    if (other.open(repository->context().container().path(), false)) other.exec("BEGIN IMMEDIATE");
    repository->removeShortcut(repository->shortcuts().constFirst().id);
    return repository;
}

DeskRepository* sampleTodoRemovedUnsaved() {
    DeskRepository* repository = newRepository();
    if (!repository) return nullptr;
    repository->addTodo(QStringLiteral("Book the dentist"));
    repository->context().container().connection().exec("PRAGMA query_only = ON");
    repository->deleteTodo(repository->todos().constFirst().id);
    return repository;
}

DeskRepository* sampleNote(const QString& text) {
    DeskRepository* repository = newRepository();
    if (repository && !text.isEmpty()) repository->saveNote(text);
    return repository;
}

CalendarService* sampleCalendar(CalendarAccess access, bool withEvents) {
    static std::vector<std::unique_ptr<CalendarService>> kept;
    auto service = std::make_unique<CalendarService>(Date::now, [access, withEvents] {
        return std::make_unique<SampleCalendarStore>(access, withEvents);
    });
    CalendarFilter filter;
    filter.showPastEventsToday = true;
    service->setFilter(filter);
    bool started = false;
    service->start([&started] { started = true; });
    QDeadlineTimer deadline(5000);
    while (!started && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    kept.push_back(std::move(service));
    return kept.back().get();
}

QList<VeskTimer> sampleTimers() {
    const Date now = Date::now();
    const auto timer = [](double total, std::optional<Date> startedAt, std::optional<double> paused) {
        return VeskTimer{.id = QUuid::createUuid(),
                         .label = QString(),
                         .total = total,
                         .startedAt = startedAt,
                         .pausedRemaining = paused};
    };
    return {timer(3 * 3600, now - 3300, std::nullopt), timer(600, std::nullopt, 250),
            timer(60, now - 100, std::nullopt)};
}

NowPlayingState sampleNowPlaying(bool playing, bool cover) {
    NowPlayingState state;
    state.isPlaying = playing;
    state.title = text("Harbour Lights");
    state.artist = text("The Quiet Hours");
    state.duration = 243;
    state.elapsed = 97;
    state.elapsedAsOf = Date::now();
    state.playbackRate = playing ? 1 : 0;
    if (cover) state.artwork = sampleCover(600);
    return state;
}

namespace {

class SampleApplications final : public DesktopApplications {
public:
    QList<DesktopEntry> installed() const override {
        QList<DesktopEntry> entries;
        for (const auto& [id, name, colour] : apps)
            entries.append({id, name, QStringLiteral("/usr/share/applications/") + id, QString(), QString()});
        return entries;
    }
    std::optional<DesktopEntry> entry(const QString& id) const override {
        for (const DesktopEntry& entry : installed())
            if (entry.id == id) return entry;
        return std::nullopt;
    }
    std::optional<DesktopEntry> load(const QString& path) const override {
        for (const DesktopEntry& entry : installed())
            if (entry.path == path) return entry;
        return std::nullopt;
    }
    bool launch(const QString&, QString* error) const override {
        if (error) *error = QStringLiteral("a sample launches nothing");
        return false;
    }
    QIcon icon(const QString& path) const override {
        const QImage image = iconImage(path, 128);
        return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
    }
    QImage iconImage(const QString& path, int pixels) const override {
        for (const auto& [id, name, colour] : apps) {
            if (!path.endsWith(id)) continue;
            QImage image(128, 128, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setBrush(QColor::fromRgb(colour));
            painter.setPen(Qt::NoPen);
            painter.drawRoundedRect(QRectF(8, 8, 112, 112), 26, 26);
            painter.setPen(Qt::white);
            QFont font = painter.font();
            font.setPixelSize(64);
            font.setBold(true);
            painter.setFont(font);
            painter.drawText(image.rect(), Qt::AlignCenter, name.left(1));
            painter.end();
            return image.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        }
        return {};
    }

private:
    struct App {
        QString id;
        QString name;
        QRgb colour;
    };
    const QList<App> apps{{QStringLiteral("org.gnome.Music.desktop"), QStringLiteral("Music"), 0xE0533D},
                          {QStringLiteral("spotify.desktop"), QStringLiteral("Spotify"), 0x1DB954},
                          {QStringLiteral("vlc.desktop"), QStringLiteral("VLC"), 0xF08A24}};
};

} // namespace

std::shared_ptr<DesktopApplications> sampleApplications() {
    return std::make_shared<SampleApplications>();
}

} // namespace vesk::snapshot
