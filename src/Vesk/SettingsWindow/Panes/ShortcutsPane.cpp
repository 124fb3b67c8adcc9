#include "Vesk/SettingsWindow/Panes/ShortcutsPane.h"

#include "Vesk/Controls/ProgressSpinner.h"
#include "Vesk/Controls/RowButton.h"
#include "Vesk/Controls/SettingsCard.h"
#include "Vesk/Controls/SettingsRow.h"
#include "Vesk/Controls/SmallAccentButton.h"
#include "Vesk/Controls/TextView.h"
#include "VeskPlatform/Shortcuts/ScriptFolderShortcuts.h"
#include "VeskServices/Shortcuts/ShortcutSeeder.h"
#include "VeskServices/Shortcuts/ShortcutsService.h"
#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QAbstractButton>
#include <QDir>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QShowEvent>
#include <QVBoxLayout>

namespace vesk {

QString ShortcutsPane::scriptFolderText() {
    // The folder the scripts are read from, as a user would type it.
    const QString folder = QDir::cleanPath(ScriptFolderShortcuts::defaultFolder());
    const QString home = QDir::cleanPath(QDir::homePath());
    if (folder.startsWith(home + u'/') && home != QLatin1String("/")) return u'~' + folder.mid(home.size());
    return folder;
}

namespace {

class Glyph final : public QAbstractButton {
public:
    Glyph(const QString& symbol, double size, QColor colour, QWidget* parent = nullptr)
        : QAbstractButton(parent), m_symbol(symbol), m_size(size), m_colour(colour) {
        setFixedSize(18, 18);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        Symbols::paintForFontSize(painter, QRectF(rect()), m_size, m_symbol, m_colour);
    }

private:
    QString m_symbol;
    double m_size;
    QColor m_colour;
};

class RuledRow final : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override { paintRowRule(this); }
};

QLineEdit* plainField(const QString& placeholder) {
    auto* field = new QLineEdit;
    field->setPlaceholderText(placeholder);
    field->setFrame(false);
    field->setFont(Vesk::Type_::settingsRow());
    field->setFocusPolicy(Qt::ClickFocus);
    QPalette palette = field->palette();
    palette.setColor(QPalette::PlaceholderText, Vesk::Stone::x400);
    field->setPalette(palette);
    // The window's style paints fields light: this one is plain text on the card.
    field->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; border: none; color: %1; }")
                             .arg(Vesk::Stone::x100.name()));
    return field;
}

TextView* footnote(const QString& text) {
    auto* view = new TextView(text, Vesk::Type_::settingsFootnote(), Vesk::Stone::x400);
    view->setWrapping(true);
    return view;
}

QWidget* inset(QLayout* content, int margins) {
    auto* box = new QWidget;
    content->setContentsMargins(margins, margins, margins, margins);
    box->setLayout(content);
    return box;
}

void clearRows(QVBoxLayout* rows) {
    while (rows->count() > 0) {
        QLayoutItem* item = rows->takeAt(0);
        if (QWidget* widget = item->widget()) {
            widget->hide();
            widget->deleteLater();
        }
        delete item;
    }
}

// Spaces and tabs around the name go; line breaks stay.
QString trimmed(const QString& name) {
    qsizetype first = 0;
    qsizetype last = name.size();
    while (first < last && (name[first] == u' ' || name[first] == u'\t'))
        ++first;
    while (last > first && (name[last - 1] == u' ' || name[last - 1] == u'\t'))
        --last;
    return name.mid(first, last - first);
}

} // namespace

ShortcutsPane::ShortcutsPane(ShortcutsService& service, const BuildProfile& profile,
                             DeskRepository* repository, QWidget* parent)
    : PaneColumn(parent), m_service(service), m_profile(profile), m_repository(repository),
      m_chosenCard(new SettingsCard), m_lowerCard(new SettingsCard) {
    addSection(QStringLiteral("On the Desk"));
    add(m_chosenCard);
    addSection(QStringLiteral("On this computer"));
    m_canList = listable();
    buildLowerCard();
    add(m_lowerCard);
    addFootnote(QStringLiteral("Shortcuts you add here stay on this computer."));

    if (m_repository)
        connect(m_repository, &DeskRepository::shortcutsChanged, this, [this] {
            rebuildChosen();
            rebuildList();
        });
    rebuildChosen();
    load();
}

bool ShortcutsPane::listable() const {
    return m_service.canList() && m_profile.capabilities.contains(Capability::shortcutListing);
}

void ShortcutsPane::buildLowerCard() {
    clearRows(m_lowerCard->rows());
    m_search = nullptr;
    m_listArea = nullptr;
    m_name = nullptr;
    m_add = nullptr;
    if (!m_canList) {
        auto* stack = new QVBoxLayout;
        stack->setSpacing(8);
        stack->addWidget(footnote(
            m_profile.isSandboxed
                ? QStringLiteral(
                      "Not available in the Flatpak version. VeskNotch can still run your shortcuts — "
                      "type a shortcut's exact name to add it.")
                : QStringLiteral("VeskNotch lists the executable scripts in %1, and that folder "
                                 "doesn't exist yet. Type a shortcut's exact name to add it.")
                      .arg(scriptFolderText())));
        stack->addWidget(byNameRow());
        QWidget* box = inset(stack, 14);
        m_lowerCard->addRow(box);
        box->show();
        return;
    }
    auto* search = new RuledRow;
    auto* row = new QHBoxLayout(search);
    row->setContentsMargins(14, 9, 14, 9);
    row->setSpacing(8);
    row->addWidget(new Glyph(u"magnifyingglass"_qs, 11, Vesk::Stone::x400));
    m_search = plainField(QStringLiteral("Search shortcuts"));
    row->addWidget(m_search, 1);
    auto* reload = new Glyph(u"arrow.clockwise"_qs, 11, Vesk::Stone::x400);
    reload->setObjectName(QStringLiteral("reload"));
    reload->setToolTip(QStringLiteral("Reload the list"));
    row->addWidget(reload);
    connect(reload, &QAbstractButton::clicked, this, &ShortcutsPane::load);
    connect(m_search, &QLineEdit::textChanged, this, &ShortcutsPane::rebuildList);
    m_lowerCard->addRow(search);
    m_listArea = new QWidget;
    auto* list = new QVBoxLayout(m_listArea);
    list->setContentsMargins(0, 0, 0, 0);
    list->setSpacing(0);
    m_lowerCard->addRow(m_listArea);
    // Rebuilt while shown, the rows show at once rather than after the next event.
    search->show();
    m_listArea->show();
}

void ShortcutsPane::showEvent(QShowEvent* event) {
    PaneColumn::showEvent(event);
    // Shown again with the window: the folder may have come or gone meanwhile.
    if (event->spontaneous()) return;
    if (m_shownBefore) load();
    m_shownBefore = true;
}

QWidget* ShortcutsPane::byNameRow() {
    auto* row = new QWidget;
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(8);
    m_name = plainField(QStringLiteral("Shortcut name"));
    m_name->setStyleSheet(QStringLiteral("QLineEdit { background: %1; border: none; border-radius: 7px; "
                                         "padding: 5px 9px; color: %2; }")
                              .arg(Vesk::Ink::x850.name(), Vesk::Stone::x100.name()));
    line->addWidget(m_name, 1);
    m_add = new SmallAccentButton(QStringLiteral("Add"));
    m_add->setEnabled(false);
    line->addWidget(m_add);
    connect(m_name, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_add->setEnabled(!trimmed(text).isEmpty()); });
    connect(m_name, &QLineEdit::returnPressed, this, &ShortcutsPane::addManual);
    connect(m_add, &QAbstractButton::clicked, this, &ShortcutsPane::addManual);
    return row;
}

QList<ShortcutSnapshot> ShortcutsPane::chosen() const {
    return m_repository ? m_repository->shortcuts() : QList<ShortcutSnapshot>{};
}

void ShortcutsPane::load() {
    if (listable() != m_canList) {
        m_canList = !m_canList;
        m_available.clear();
        buildLowerCard();
    }
    m_loading = m_canList;
    if (!m_canList) return;
    rebuildList();
    // The listing answers on the main thread while this pane lives.
    m_service.available(this, [this](QStringList names) {
        m_available = names;
        m_loading = false;
        rebuildList();
    });
}

QStringList ShortcutsPane::results() const {
    QSet<QString> chosenNames;
    for (const ShortcutSnapshot& entry : chosen())
        chosenNames.insert(entry.shortcutName);
    const QString search = m_search ? m_search->text() : QString();
    QStringList names;
    for (const QString& name : m_available) {
        if (chosenNames.contains(name)) continue;
        if (!search.isEmpty() && !name.contains(search, Qt::CaseInsensitive)) continue;
        names << name;
    }
    return names;
}

QString ShortcutsPane::message() const {
    if (!m_canList) return {};
    if (m_loading) return QStringLiteral("Reading your shortcuts…");
    if (m_available.isEmpty())
        return QStringLiteral("No shortcuts found. Put an executable script in %1, or add it by name.")
            .arg(scriptFolderText());
    if (!results().isEmpty()) return {};
    if (m_search->text().isEmpty()) return QStringLiteral("Everything is already on the Desk.");
    return QStringLiteral("Nothing matches “") + m_search->text() + QStringLiteral("”.");
}

void ShortcutsPane::rebuildList() {
    if (!m_listArea) return;
    auto* rows = static_cast<QVBoxLayout*>(m_listArea->layout());
    // The by-name field lives in the empty state; typing in it must not rebuild it away.
    if (m_name && m_name->hasFocus() && !m_loading && m_available.isEmpty()) return;
    clearRows(rows);
    m_name = nullptr;
    m_add = nullptr;
    const QString text = message();
    if (!m_loading && m_available.isEmpty()) {
        auto* stack = new QVBoxLayout;
        stack->setSpacing(8);
        stack->addWidget(footnote(text));
        stack->addWidget(byNameRow());
        rows->addWidget(inset(stack, 14));
        m_listArea->updateGeometry();
        return;
    }
    if (m_loading) {
        QWidget* row = progressRow(text);
        rows->addWidget(row);
        row->show();
        return;
    }
    if (!text.isEmpty()) {
        auto* line = new QVBoxLayout;
        line->addWidget(footnote(text));
        QWidget* box = inset(line, 14);
        rows->addWidget(box);
        box->show();
        return;
    }
    for (const QString& name : results()) {
        auto* row = new RowButton;
        row->setObjectName(QStringLiteral("shortcut.") + name);
        auto* line = new QHBoxLayout(row);
        line->setContentsMargins(14, 8, 14, 8);
        line->setSpacing(10);
        auto* plus = new Glyph(u"plus.circle"_qs, 12, Vesk::Accent::x500);
        // The whole row is the button.
        plus->setAttribute(Qt::WA_TransparentForMouseEvents);
        line->addWidget(plus);
        line->addWidget(new TextView(name, Vesk::Type_::settingsRow(), Vesk::Stone::x100));
        line->addStretch(1);
        line->addSpacing(8);
        connect(row, &QAbstractButton::clicked, this, [this, name] { addNamed(name); });
        rows->addWidget(row);
        row->show();
    }
}

void ShortcutsPane::rebuildChosen() {
    clearRows(m_chosenCard->rows());
    const QList<ShortcutSnapshot> entries = chosen();
    if (entries.isEmpty()) {
        auto* line = new QVBoxLayout;
        line->addWidget(footnote(QStringLiteral("No shortcuts chosen yet. Pick some below.")));
        m_chosenCard->addRow(inset(line, 14));
        return;
    }
    for (const ShortcutSnapshot& entry : entries) {
        auto* row = new RuledRow;
        auto* line = new QHBoxLayout(row);
        line->setContentsMargins(14, 8, 14, 8);
        line->setSpacing(10);
        line->addWidget(new Glyph(entry.symbol, 12, Vesk::Accent::x500));
        line->addWidget(new TextView(entry.displayName(), Vesk::Type_::settingsRow(), Vesk::Stone::x100));
        line->addStretch(1);
        line->addSpacing(8);
        auto* minus = new Glyph(u"minus.circle.fill"_qs, 13, Vesk::Stone::x400);
        minus->setToolTip(QStringLiteral("Remove from the Desk"));
        minus->setObjectName(QStringLiteral("remove"));
        const QUuid id = entry.id;
        connect(minus, &QAbstractButton::clicked, this, [this, id] { removeChosen(id); });
        line->addWidget(minus);
        m_chosenCard->addRow(row);
    }
}

void ShortcutsPane::addNamed(const QString& name) {
    if (!m_repository) return;
    m_repository->addShortcut(name, ShortcutSeeder::symbol(name));
    m_repository->reloadFromStore();
}

void ShortcutsPane::addManual() {
    if (!m_name) return;
    const QString name = trimmed(m_name->text());
    if (name.isEmpty()) return;
    addNamed(name);
    if (m_name) m_name->clear();
}

void ShortcutsPane::removeChosen(const QUuid& id) {
    if (!m_repository) return;
    m_repository->removeShortcut(id);
    m_repository->reloadFromStore();
}

} // namespace vesk
