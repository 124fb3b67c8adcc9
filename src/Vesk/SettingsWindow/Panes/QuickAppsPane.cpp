#include "Vesk/SettingsWindow/Panes/QuickAppsPane.h"

#include "Vesk/Controls/ProgressSpinner.h"
#include "Vesk/Controls/RowButton.h"
#include "Vesk/Controls/SettingsCard.h"
#include "Vesk/Controls/SettingsRow.h"
#include "Vesk/Controls/SymbolView.h"
#include "Vesk/Controls/TextView.h"
#include "VeskServices/QuickApps/QuickAppsService.h"
#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>
#include <memory>

namespace vesk {

namespace {

// A button that is only a symbol; dim and inert while disabled.
class SymbolButton final : public QAbstractButton {
public:
    SymbolButton(const QString& symbol, double fontSize, QColor colour, QSize size, QWidget* parent = nullptr)
        : QAbstractButton(parent), m_symbol(symbol), m_fontSize(fontSize), m_colour(colour) {
        setFixedSize(size);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        Symbols::paintForFontSize(painter, QRectF(rect()), m_fontSize, m_symbol,
                                  isEnabled() ? m_colour : Vesk::Ink::x600);
    }

private:
    QString m_symbol;
    double m_fontSize;
    QColor m_colour;
};

// A row of a card with a hairline along its bottom.
class CardRow final : public QWidget {
public:
    explicit CardRow(QWidget* parent = nullptr) : QWidget(parent) {}

protected:
    void paintEvent(QPaintEvent*) override { paintRowRule(this); }
};

QLabel* iconLabel(const QIcon& icon, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setFixedSize(20, 20);
    label->setPixmap(icon.pixmap(QSize(20, 20), parent ? parent->devicePixelRatioF() : 1.0));
    return label;
}

QWidget* padded(QWidget* child) {
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->addWidget(child);
    return box;
}

// Drops the old rows without deleting one that may be running its own click.
void clearRows(QVBoxLayout* rows, int keep) {
    while (rows->count() > keep) {
        QLayoutItem* item = rows->takeAt(keep);
        if (QWidget* widget = item->widget()) {
            widget->hide();
            widget->deleteLater();
        }
        delete item;
    }
}

} // namespace

QuickAppsPane::QuickAppsPane(QuickAppsService& service, std::function<void()> onChange, Chooser chooser,
                             QWidget* parent)
    : PaneColumn(parent), m_service(service), m_onChange(std::move(onChange)),
      m_chooser(chooser ? std::move(chooser) : Chooser(chooseDesktopEntries)), m_chosenCard(new SettingsCard),
      m_installedCard(new SettingsCard), m_search(new QLineEdit),
      m_message(new TextView(QString(), Vesk::Type_::settingsFootnote(), Vesk::Stone::x400)) {
    addSection(QStringLiteral("On the Desk"));
    add(m_chosenCard);
    addSection(QStringLiteral("Installed apps"));

    // The search row.
    auto* search = new CardRow;
    auto* row = new QHBoxLayout(search);
    row->setContentsMargins(14, 9, 14, 9);
    row->setSpacing(8);
    row->addWidget(new SymbolButton(u"magnifyingglass"_qs, 11, Vesk::Stone::x400, QSize(14, 14)));
    m_search->setPlaceholderText(QStringLiteral("Search apps"));
    m_search->setFrame(false);
    m_search->setFont(Vesk::Type_::settingsRow());
    m_search->setFocusPolicy(Qt::ClickFocus);
    QPalette field = m_search->palette();
    field.setColor(QPalette::PlaceholderText, Vesk::Stone::x400);
    m_search->setPalette(field);
    // The window's style paints fields light: this one is plain text on the card.
    m_search->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; border: none; color: %1; }")
                                .arg(Vesk::Stone::x100.name()));
    row->addWidget(m_search, 1);
    auto* choose = new QPushButton(QStringLiteral("Choose…"));
    choose->setFlat(true);
    choose->setFont(Vesk::Type_::settingsFootnote());
    choose->setStyleSheet(QStringLiteral("QPushButton { background: transparent; border: none; color: %1; }")
                              .arg(Vesk::Accent::x500.name()));
    choose->setFocusPolicy(Qt::NoFocus);
    row->addWidget(choose);
    connect(choose, &QAbstractButton::clicked, this, &QuickAppsPane::chooseManually);
    connect(m_search, &QLineEdit::textChanged, this, &QuickAppsPane::filter);
    m_installedCard->addRow(search);

    m_progress = progressRow(QStringLiteral("Looking for apps…"));
    m_installedCard->addRow(m_progress);
    m_message->setWrapping(true);
    m_installedCard->addRow(padded(m_message));
    add(m_installedCard);
    addFootnote(
        QStringLiteral("Quick Apps stay on this computer — the apps you have installed differ from machine "
                       "to machine, so syncing them would show broken tiles on the other one."));

    m_chosen = m_service.apps();
    rebuildChosen();
    filter();
    // The scan answers on the main thread while this pane lives.
    m_service.installed(this, [this](QList<QuickApp> installed) { scanned(installed); });
}

void QuickAppsPane::chooseDesktopEntries(QWidget* parent, std::function<void(QList<QUrl>)> done) {
    auto* dialog = new QFileDialog(parent, QString(), QStringLiteral("/usr/share/applications"),
                                   QStringLiteral("Applications (*.desktop)"));
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Qt's own dialog tells its choice as files only; a desktop's dialog (its portal,
    // say) tells it as URLs and then the local ones again as files. Whichever came is
    // taken once the dialog is accepted, so nothing is added twice.
    auto picked = std::make_shared<QList<QUrl>>();
    QObject::connect(dialog, &QFileDialog::urlsSelected, dialog,
                     [picked](const QList<QUrl>& urls) { *picked = urls; });
    QObject::connect(dialog, &QFileDialog::filesSelected, dialog, [picked](const QStringList& files) {
        if (!picked->isEmpty()) return;
        for (const QString& file : files)
            picked->append(QUrl::fromLocalFile(file));
    });
    QObject::connect(dialog, &QDialog::accepted, dialog, [picked, done = std::move(done)] {
        if (!picked->isEmpty()) done(*picked);
    });
    dialog->open();
}

std::optional<QIcon> QuickAppsPane::iconFor(const QuickApp& app) {
    const auto it = m_icons.constFind(app.bundleID);
    if (it != m_icons.constEnd()) return *it;
    const std::optional<QIcon> icon = m_service.icon(app);
    m_icons.insert(app.bundleID, icon);
    return icon;
}

void QuickAppsPane::scanned(const QList<QuickApp>& installed) {
    m_installed = installed;
    m_loading = false;
    for (const QuickApp& app : installed) {
        QWidget* row = installedRow(app);
        m_installedRows.insert(app.bundleID, row);
        m_installedCard->addRow(row);
    }
    filter();
}

QList<QuickApp> QuickAppsPane::listed() const {
    QList<QuickApp> list;
    if (m_loading) return list;
    QSet<QString> chosen;
    for (const QuickApp& app : m_chosen)
        chosen.insert(app.bundleID);
    const QString search = m_search->text();
    for (const QuickApp& app : m_installed) {
        if (chosen.contains(app.bundleID)) continue;
        if (!search.isEmpty() && !app.name.contains(search, Qt::CaseInsensitive)) continue;
        list << app;
        if (list.size() == shownResults) break;
    }
    return list;
}

QString QuickAppsPane::message() const {
    if (m_loading) return QStringLiteral("Looking for apps…");
    if (!listed().isEmpty()) return {};
    if (m_search->text().isEmpty()) return QStringLiteral("Everything is already on the Desk.");
    return QStringLiteral("Nothing matches “") + m_search->text() + QStringLiteral("”.");
}

void QuickAppsPane::filter() {
    m_progress->setVisible(m_loading);
    QSet<QString> shown;
    for (const QuickApp& app : listed())
        shown.insert(app.bundleID);
    for (auto it = m_installedRows.cbegin(); it != m_installedRows.cend(); ++it)
        it.value()->setVisible(shown.contains(it.key()));
    const QString text = m_loading ? QString() : message();
    m_message->setText(text);
    m_message->parentWidget()->setVisible(!text.isEmpty());
}

QWidget* QuickAppsPane::installedRow(const QuickApp& app) {
    auto* row = new RowButton;
    row->setObjectName(QStringLiteral("app.") + app.bundleID);
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(14, 7, 14, 7);
    line->setSpacing(10);
    if (const std::optional<QIcon> icon = iconFor(app)) line->addWidget(iconLabel(*icon, row));
    line->addWidget(new TextView(app.name, Vesk::Type_::settingsRow(), Vesk::Stone::x100, row));
    line->addStretch(1);
    line->addSpacing(8);
    line->addWidget(new SymbolView(u"plus.circle"_qs, 12, Vesk::Accent::x500, row));
    // The whole row is the button.
    connect(row, &QAbstractButton::clicked, this, [this, app] { addApp(app); });
    return row;
}

QWidget* QuickAppsPane::chosenRow(const QuickApp& app, int index) {
    auto* row = new CardRow;
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(14, 7, 14, 7);
    line->setSpacing(10);
    auto* arrows = new QVBoxLayout;
    arrows->setSpacing(1);
    auto* up = new SymbolButton(u"chevron.up"_qs, 8, Vesk::Stone::x300, QSize(14, 11), row);
    auto* down = new SymbolButton(u"chevron.down"_qs, 8, Vesk::Stone::x300, QSize(14, 11), row);
    up->setObjectName(QStringLiteral("up"));
    down->setObjectName(QStringLiteral("down"));
    up->setEnabled(index > 0);
    down->setEnabled(index < m_chosen.size() - 1);
    connect(up, &QAbstractButton::clicked, this, [this, index] { moveApp(index, index - 1); });
    connect(down, &QAbstractButton::clicked, this, [this, index] { moveApp(index, index + 1); });
    arrows->addWidget(up);
    arrows->addWidget(down);
    line->addLayout(arrows);
    if (const std::optional<QIcon> icon = iconFor(app)) line->addWidget(iconLabel(*icon, row));
    auto* texts = new QVBoxLayout;
    texts->setSpacing(0);
    texts->addWidget(new TextView(app.name, Vesk::Type_::settingsRow(), Vesk::Stone::x100, row));
    if (m_service.isMissing(app))
        texts->addWidget(new TextView(QStringLiteral("Not installed on this computer"),
                                      Vesk::Type_::settingsFootnote(), Vesk::Semantic::amber, row));
    line->addLayout(texts);
    line->addStretch(1);
    line->addSpacing(8);
    auto* minus = new SymbolButton(u"minus.circle.fill"_qs, 13, Vesk::Stone::x400, QSize(18, 18), row);
    minus->setObjectName(QStringLiteral("remove"));
    connect(minus, &QAbstractButton::clicked, this, [this, app] { removeApp(app); });
    line->addWidget(minus);
    return row;
}

void QuickAppsPane::rebuildChosen() {
    clearRows(m_chosenCard->rows(), 0);
    if (m_chosen.isEmpty()) {
        auto* empty = new TextView(QStringLiteral("No apps chosen yet. Pick some below."),
                                   Vesk::Type_::settingsFootnote(), Vesk::Stone::x400);
        m_chosenCard->addRow(padded(empty));
        return;
    }
    for (int i = 0; i < m_chosen.size(); ++i)
        m_chosenCard->addRow(chosenRow(m_chosen[i], i));
}

void QuickAppsPane::changed() {
    m_chosen = m_service.apps();
    rebuildChosen();
    filter();
    if (m_onChange) m_onChange();
}

void QuickAppsPane::addApp(const QuickApp& app) {
    m_service.add(app);
    changed();
}

void QuickAppsPane::moveApp(int from, int to) {
    m_service.move(from, to);
    changed();
}

void QuickAppsPane::removeApp(const QuickApp& app) {
    m_service.remove(app);
    changed();
}

void QuickAppsPane::chooseManually() {
    // The dialog belongs to the pane and closes with it: another pane shown meanwhile (the
    // Desk's "Choose Shortcuts", say) leaves no choice to confirm that nothing would pin.
    m_chooser(this, [pane = QPointer<QuickAppsPane>(this)](const QList<QUrl>& picked) {
        if (!pane) return;
        for (const QUrl& url : picked)
            pane->m_service.add(url);
        pane->changed();
    });
}

QWidget* makeQuickAppsPane(QuickAppsService& service, std::function<void()> onChange) {
    return new QuickAppsPane(service, std::move(onChange));
}

} // namespace vesk
